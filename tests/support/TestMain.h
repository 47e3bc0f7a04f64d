#pragma once

namespace tessaly::test {

// The GUI tests' main calls this before the application object exists, so that a test binary can
// prepare its process (its environment, its time zone). The main's own definition does nothing;
// a binary that needs more defines it once among its sources.
void prepareGuiTestProcess();

} // namespace tessaly::test
