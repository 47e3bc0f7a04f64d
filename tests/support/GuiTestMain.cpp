#include <QApplication>

#include <gtest/gtest.h>

// The main of test binaries that draw, lay out text, load icons or show views: a widgets
// application object, as the program has, so that desktop popup menus and tooltips work. The
// views are drawn offscreen unless the environment names another platform. A binary that needs
// more of its process (an environment, a time zone) sets it in a static initialiser of its own.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
