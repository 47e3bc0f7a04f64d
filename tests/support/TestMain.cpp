#include <QCoreApplication>

#include <gtest/gtest.h>

// Every test binary runs its tests inside a Qt application object, so that queued signals,
// timers and the event loop behave as in the program.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
