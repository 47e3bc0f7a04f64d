#pragma once

#include <QByteArray>

namespace tessaly::XTestProbe {

// Whether the X display offers the XTEST extension, through which a program may synthesise
// key presses. `display` as in $DISPLAY; empty means $DISPLAY. False when the display cannot
// be reached.
bool displayHasXTest(const QByteArray &display = {});

} // namespace tessaly::XTestProbe
