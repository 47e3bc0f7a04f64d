#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
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
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::V), QStringLiteral("v"));
    EXPECT_EQ(name(KeyPosition::Z), QStringLiteral("Z"));
    EXPECT_EQ(name(KeyPosition::Y), QStringLiteral("Y"));
    EXPECT_EQ(name(KeyPosition::A), QStringLiteral("A"));
    EXPECT_EQ(name(KeyPosition::Q), QStringLiteral("Q"));
    EXPECT_EQ(name(KeyPosition::Minus), QStringLiteral("-"));
    EXPECT_EQ(name(KeyPosition::Grave), QStringLiteral("`"));
    EXPECT_EQ(name(KeyPosition::Keypad7), QStringLiteral("7"));
    EXPECT_EQ(name(KeyPosition::Space), QStringLiteral("Espaço"));
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::V);
    EXPECT_EQ(HotKeyCombo::defaultCombo().displayString(), QStringLiteral("⇧⌘V"));

    setLayout({QStringLiteral("de")});
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::Z), QStringLiteral("y"));
    EXPECT_EQ(name(KeyPosition::Z), QStringLiteral("Y"));
    EXPECT_EQ(name(KeyPosition::Y), QStringLiteral("Z"));
    EXPECT_EQ(name(KeyPosition::Semicolon), QStringLiteral("Ö"));
    EXPECT_EQ(name(KeyPosition::Grave), QStringLiteral("^")); // dead circumflex, as its accent
    EXPECT_EQ(name(KeyPosition::Equal), QStringLiteral("´")); // dead acute
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("z")), 16);
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::V);

    setLayout({QStringLiteral("fr")});
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::Q), QStringLiteral("a"));
    EXPECT_EQ(name(KeyPosition::Q), QStringLiteral("A"));
    EXPECT_EQ(name(KeyPosition::A), QStringLiteral("Q"));
    EXPECT_EQ(name(KeyPosition::W), QStringLiteral("Z"));
    EXPECT_EQ(name(KeyPosition::Digit1), QStringLiteral("&"));
    EXPECT_EQ(name(KeyPosition::LeftBracket), QStringLiteral("^"));
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("m")), 41);
    EXPECT_EQ(HotKeyCombo(KeyPosition::Q, HotKeyCombo::commandFlag).displayString(),
              QStringLiteral("⌘A"));
}

TEST_F(KeyboardLayoutE2ETest, FindsTheKeyThatTypesVOnEveryLayout)
{
    setLayout({QStringLiteral("-layout"), QStringLiteral("us"), QStringLiteral("-variant"),
               QStringLiteral("dvorak")});
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::Period);
    EXPECT_EQ(name(KeyPosition::V), QStringLiteral("K"));

    // Without a layout that types ASCII letters, nothing types v: the paste falls back to the V
    // key.
    setLayout({QStringLiteral("ru")});
    EXPECT_FALSE(KeyboardLayout::keyCode(QStringLiteral("v")));
    EXPECT_EQ(name(KeyPosition::V), QStringLiteral("М"));
}

TEST_F(KeyboardLayoutE2ETest, UsesTheGroupThatTypesAsciiAndFollowsGroupSwitches)
{
    // Russian first: the US group is the one that types ASCII letters.
    setLayout({QStringLiteral("-layout"), QStringLiteral("ru,us")});
    EXPECT_EQ(KeyboardLayout::character(KeyPosition::V), QStringLiteral("v"));
    EXPECT_EQ(KeyboardLayout::keyCode(QStringLiteral("v")), KeyPosition::V);

    setLayout({QStringLiteral("-layout"), QStringLiteral("us,de")});
    X11TestClient switcher;
    ASSERT_TRUE(switcher.isValid());
    EXPECT_EQ(name(KeyPosition::Z), QStringLiteral("Z"));
    switcher.lockGroup(1);
    EXPECT_EQ(name(KeyPosition::Z), QStringLiteral("Y"));
    switcher.lockGroup(0);
    EXPECT_EQ(name(KeyPosition::Z), QStringLiteral("Z"));
}
