#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyboardLayout.h"
#include "platform/x11/X11KeyboardLayoutSource.h"

#include "e2e/X11TestClient.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::X11TestClient;
using tessaly::test::XServer;

namespace {

// Key names on a real X server whose layout the test switches with setxkbmap, as a user would.
// Every check follows the switch at once: no waiting, no polling.
class KeyboardLayoutE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XServer::hasProgram(QStringLiteral("setxkbmap")))
            GTEST_SKIP() << "setxkbmap is not installed";
        XServer::Options options;
        options.windowManager = false;
        options.sessionBus = false;
        ASSERT_TRUE(m_server.start(options)) << m_server.errorString().toStdString();
        m_installed = std::make_unique<KeyboardLayout::ScopedSource>(
            std::make_shared<x11::X11KeyboardLayoutSource>());
    }

    void setLayout(const QStringList &arguments)
    {
        ASSERT_EQ(m_server.run(QStringLiteral("setxkbmap"), arguments), 0)
            << arguments.join(' ').toStdString();
    }

    static QString name(quint16 keyCode) { return KeyboardLayout::displayName(keyCode); }

    XServer m_server;
    std::unique_ptr<KeyboardLayout::ScopedSource> m_installed;
};

} // namespace

TEST_F(KeyboardLayoutE2ETest, UsGermanAndFrenchLayoutsNameTheirKeys)
{
    setLayout({QStringLiteral("us")});
    EXPECT_EQ(KeyboardLayout::character(9), QStringLiteral("v"));
    EXPECT_EQ(name(6), QStringLiteral("Z"));
    EXPECT_EQ(name(16), QStringLiteral("Y"));
    EXPECT_EQ(name(0), QStringLiteral("A"));
    EXPECT_EQ(name(12), QStringLiteral("Q"));
    EXPECT_EQ(name(27), QStringLiteral("-"));
    EXPECT_EQ(name(50), QStringLiteral("`"));
    EXPECT_EQ(name(89), QStringLiteral("7")); // keypad 7
    EXPECT_EQ(name(49), QStringLiteral("Espaço"));
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 9);
    EXPECT_EQ(HotKeyCombo::defaultCombo().displayString(), QStringLiteral("⇧⌘V"));

    setLayout({QStringLiteral("de")});
    EXPECT_EQ(KeyboardLayout::character(6), QStringLiteral("y"));
    EXPECT_EQ(name(6), QStringLiteral("Y"));
    EXPECT_EQ(name(16), QStringLiteral("Z"));
    EXPECT_EQ(name(41), QStringLiteral("Ö"));
    EXPECT_EQ(name(50), QStringLiteral("^")); // dead circumflex, as its accent
    EXPECT_EQ(name(24), QStringLiteral("´")); // dead acute
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("z")), 16);
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 9);

    setLayout({QStringLiteral("fr")});
    EXPECT_EQ(KeyboardLayout::character(12), QStringLiteral("a"));
    EXPECT_EQ(name(12), QStringLiteral("A"));
    EXPECT_EQ(name(0), QStringLiteral("Q"));
    EXPECT_EQ(name(13), QStringLiteral("Z"));
    EXPECT_EQ(name(18), QStringLiteral("&"));
    EXPECT_EQ(name(33), QStringLiteral("^"));
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("m")), 41);
    EXPECT_EQ(HotKeyCombo(12, HotKeyCombo::commandFlag).displayString(), QStringLiteral("⌘A"));
}

TEST_F(KeyboardLayoutE2ETest, FindsTheKeyThatTypesVOnEveryLayout)
{
    setLayout({QStringLiteral("-layout"), QStringLiteral("us"), QStringLiteral("-variant"),
               QStringLiteral("dvorak")});
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 47);
    EXPECT_EQ(name(9), QStringLiteral("K"));

    // Without a layout that types ASCII letters, nothing types v: the paste falls back to 9.
    setLayout({QStringLiteral("ru")});
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral("v")));
    EXPECT_EQ(name(9), QStringLiteral("М"));
}

TEST_F(KeyboardLayoutE2ETest, UsesTheGroupThatTypesAsciiAndFollowsGroupSwitches)
{
    // Russian first: the US group is the one that types ASCII letters.
    setLayout({QStringLiteral("-layout"), QStringLiteral("ru,us")});
    EXPECT_EQ(KeyboardLayout::character(9), QStringLiteral("v"));
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), 9);

    setLayout({QStringLiteral("-layout"), QStringLiteral("us,de")});
    X11TestClient switcher;
    ASSERT_TRUE(switcher.isValid());
    EXPECT_EQ(name(6), QStringLiteral("Z"));
    switcher.lockGroup(1);
    EXPECT_EQ(name(6), QStringLiteral("Y"));
    switcher.lockGroup(0);
    EXPECT_EQ(name(6), QStringLiteral("Z"));
}
