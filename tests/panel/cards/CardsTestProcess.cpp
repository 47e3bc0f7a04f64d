#include "support/TestMain.h"

#include <QByteArray>

#include <ctime>

// Icons need the GUI application: on the offscreen platform, so the tests need no display (also
// when CTest lists them at build time). Relative dates are checked in UTC, so that calendar
// arithmetic does not depend on the machine's time zone.
void tessaly::test::prepareGuiTestProcess()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "UTC");
    tzset();
}
