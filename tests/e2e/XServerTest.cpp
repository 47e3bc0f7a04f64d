#include "support/XServer.h"

#include <gtest/gtest.h>

using tessaly::test::XServer;

// The test bed itself: a private display with a window manager, torn down cleanly.
TEST(XServerTest, StartsAPrivateDisplayWithAWindowManager)
{
    const QByteArray outerDisplay = qgetenv("DISPLAY");
    {
        XServer server;
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        EXPECT_EQ(qgetenv("DISPLAY"), server.display().toLocal8Bit());
        QByteArray out;
        EXPECT_EQ(server.run(QStringLiteral("xprop"),
                             {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                             5000, &out),
                  0);
        EXPECT_TRUE(out.contains("window id")) << out.constData();
        EXPECT_EQ(server.run(QStringLiteral("sh"),
                             {QStringLiteral("-c"), QStringLiteral("printf x | xclip -selection "
                                                                   "clipboard -i -loops 1 & sleep "
                                                                   "0.2; xclip -selection "
                                                                   "clipboard -o")},
                             5000, &out),
                  0);
        EXPECT_EQ(out, QByteArray("x"));
    }
    EXPECT_EQ(qgetenv("DISPLAY"), outerDisplay);
}
