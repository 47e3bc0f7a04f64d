// CTest runs every test of this program in a process of its own; each process gets a private
// display before its QGuiApplication exists: Xvfb 2560 × 1024 split into two RandR monitors
// (1280 × 1024 on the left, the primary one, and 1280 × 800 on the right), openbox and a
// session bus.
#include "PanelPlatformTest.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace tessaly::test {

namespace {
XServer *displayInstance = nullptr;
} // namespace

XServer &testDisplay()
{
    return *displayInstance;
}

} // namespace tessaly::test

int main(int argc, char **argv)
{
    using tessaly::test::XServer;

    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    if (listing) { // CTest asks for the names at build time: no display for that
        QCoreApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }

    XServer server;
    XServer::Options options;
    options.width = 2560;
    options.height = 1024;
    if (!server.start(options)) {
        std::fprintf(stderr, "no private display: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    if (server.run(QStringLiteral("xrandr"),
                   {QStringLiteral("--setmonitor"), QStringLiteral("left"),
                    QStringLiteral("1280/340x1024/270+0+0"), QStringLiteral("screen")}) != 0 ||
        server.run(QStringLiteral("xrandr"),
                   {QStringLiteral("--setmonitor"), QStringLiteral("right"),
                    QStringLiteral("1280/340x800/210+1280+0"), QStringLiteral("none")}) != 0) {
        std::fprintf(stderr, "xrandr could not split the display into two monitors\n");
        return 1;
    }
    tessaly::test::displayInstance = &server;

    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    tessaly::test::displayInstance = nullptr;
    return result;
}
