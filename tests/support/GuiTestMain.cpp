#include <QApplication>

#include <gtest/gtest.h>

// The main of test binaries that show views: a widgets application object, as the program has,
// so that desktop popup menus and tooltips work. Link it instead of the plain TestMain.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
