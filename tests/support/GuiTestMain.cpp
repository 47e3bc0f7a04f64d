#include <QApplication>

#include <gtest/gtest.h>

// The main of test binaries that show views: a widgets application object, as the program has,
// so that desktop popup menus and tooltips work. Link it instead of the plain TestMain. The
// views are drawn offscreen unless the environment names another platform.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
