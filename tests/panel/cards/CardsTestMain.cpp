#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

// Icons need a QGuiApplication: on the offscreen platform, so the tests need no display (also
// when CTest lists them at build time). Relative dates are checked in UTC, so that calendar
// arithmetic does not depend on the machine's time zone.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "UTC");
    tzset();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
