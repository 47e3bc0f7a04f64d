#pragma once

#include "support/XServer.h"

namespace tessaly::test {

// The private display of this test process (see PanelPlatformTestMain.cpp).
XServer &testDisplay();

} // namespace tessaly::test
