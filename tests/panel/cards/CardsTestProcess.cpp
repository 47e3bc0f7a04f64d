#include <QByteArray>

#include <ctime>

namespace {

// Set before main() makes the application object. Icons need the GUI application: on the
// offscreen platform, so the tests need no display (also when CTest lists them at build time).
// Relative dates are checked in UTC, so that calendar arithmetic does not depend on the
// machine's time zone.
const bool preparedProcess = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "UTC");
    tzset();
    return true;
}();

} // namespace
