#include "support/TestMain.h"

#include <QApplication>

#include <gtest/gtest.h>

// Weak: a test binary's own definition takes its place.
__attribute__((weak)) void tessaly::test::prepareGuiTestProcess() {}

// The main of test binaries that draw, lay out text, load icons or show views: a widgets
// application object, as the program has, so that desktop popup menus and tooltips work. The
// views are drawn offscreen unless the environment names another platform.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    tessaly::test::prepareGuiTestProcess();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
