#include "hotkey/GlobalHotKey.h"
#include "hotkey/KeyPosition.h"
#include "platform/x11/X11HotKeyService.h"

#include "e2e/X11TestClient.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::waitUntil;
using tessaly::test::X11TestClient;
using tessaly::test::XServer;

namespace {

constexpr uint16_t controlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;

// The global hot key on a real X server (Xvfb + openbox), pressed with xdotool.
class GlobalHotKeyE2ETest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XServer::hasProgram(QStringLiteral("xdotool")))
            GTEST_SKIP() << "xdotool is not installed";
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        auto service = std::make_unique<x11::X11HotKeyService>();
        ASSERT_TRUE(service->isConnected());
        m_service = service.get();
        m_hotKey = std::make_unique<GlobalHotKey>(std::move(service));
        m_hotKey->onPressed = [this] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++m_presses;
        };
        m_client = std::make_unique<X11TestClient>();
        ASSERT_TRUE(m_client->isValid());
        m_vKey = *m_client->keymap().x11KeyCode(KeyPosition::V);
    }

    void TearDown() override
    {
        m_client.reset();
        m_hotKey.reset();
    }

    // Presses keys the way a user would; xdotool has finished with the server when it returns.
    void press(const QString &keys)
    {
        ASSERT_EQ(m_server.run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}), 0);
    }

    bool waitForPresses(int count)
    {
        return waitUntil([&] { return m_presses >= count; }, 10000);
    }

    XServer m_server;
    x11::X11HotKeyService *m_service = nullptr;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::unique_ptr<X11TestClient> m_client;
    xcb_keycode_t m_vKey = 0;
    int m_presses = 0;
};

} // namespace

TEST_F(GlobalHotKeyE2ETest, TheDefaultCombinationFiresOnEveryPress)
{
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(1));
    // Registering the same combination again answers true again and still works.
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(2));
    // Other modifiers do not fire it.
    press(QStringLiteral("ctrl+v"));
    press(QStringLiteral("ctrl+shift+alt+v"));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(3));
    EXPECT_EQ(m_presses, 3);
}

TEST_F(GlobalHotKeyE2ETest, NumLockAndCapsLockDoNotBreakIt)
{
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    const uint16_t numLock = m_client->keymap().numLockMask();
    ASSERT_NE(numLock, 0);

    press(QStringLiteral("Num_Lock"));
    ASSERT_TRUE(waitUntil([&] { return m_client->lockedModifiers() & numLock; }));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(1));

    press(QStringLiteral("Caps_Lock"));
    ASSERT_TRUE(waitUntil([&] { return m_client->lockedModifiers() & XCB_MOD_MASK_LOCK; }));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(2));

    press(QStringLiteral("Num_Lock"));
    ASSERT_TRUE(waitUntil([&] { return !(m_client->lockedModifiers() & numLock); }));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(3));
}

TEST_F(GlobalHotKeyE2ETest, ACombinationHeldByAnotherClientIsRefusedWholly)
{
    ASSERT_TRUE(m_client->grabKey(m_vKey, controlShift));
    EXPECT_FALSE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    EXPECT_FALSE(m_hotKey->isRegistered());
    EXPECT_TRUE(m_service->grabs().isEmpty());
    m_client->ungrabKey(m_vKey, controlShift);

    // Only the NumLock variant taken: still refused, and the variants that were granted are
    // given back (the other client can take the plain one).
    const uint16_t numLock = m_client->keymap().numLockMask();
    ASSERT_TRUE(m_client->grabKey(m_vKey, controlShift | numLock));
    EXPECT_FALSE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    EXPECT_TRUE(m_client->grabKey(m_vKey, controlShift));
    EXPECT_TRUE(m_client->grabKey(m_vKey, controlShift | XCB_MOD_MASK_LOCK));

    // Once the other client lets go, it registers.
    m_client = std::make_unique<X11TestClient>(); // a closed connection drops its grabs
    EXPECT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(1));
}

TEST_F(GlobalHotKeyE2ETest, AfterUnregisterThePressGoesToTheFocusedWindow)
{
    ASSERT_TRUE(m_client->showFocusedWindow());
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    m_hotKey->unregister();
    EXPECT_TRUE(m_service->grabs().isEmpty());
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitUntil([&] { return m_client->pressesOf(m_vKey, controlShift) == 1; }));

    // Registered again, the next press is ours; had the first been ours too it would have been
    // counted before this one.
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(1));
    EXPECT_EQ(m_presses, 1);
    EXPECT_EQ(m_client->pressesOf(m_vKey, controlShift), 1);
}

TEST_F(GlobalHotKeyE2ETest, ASuspensionLetsASyntheticKeystrokeThrough)
{
    ASSERT_TRUE(m_client->showFocusedWindow());
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    {
        GlobalHotKey::Suspension quiet(*m_hotKey);
        EXPECT_TRUE(m_service->grabs().isEmpty());
        press(QStringLiteral("ctrl+shift+v")); // the paste keystroke into a terminal
        ASSERT_TRUE(waitUntil([&] { return m_client->pressesOf(m_vKey, controlShift) == 1; }));
    }
    EXPECT_TRUE(m_hotKey->isRegistered());
    EXPECT_FALSE(m_service->grabs().isEmpty());

    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(1));
    EXPECT_EQ(m_presses, 1); // the suspended press never reached the handler
    EXPECT_EQ(m_client->pressesOf(m_vKey, controlShift), 1);
}

TEST_F(GlobalHotKeyE2ETest, TheGrabFollowsAModifierMappingChange)
{
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    const uint16_t mod2 = XCB_MOD_MASK_2, mod3 = XCB_MOD_MASK_3;
    ASSERT_EQ(m_client->keymap().numLockMask(), mod2);

    // NumLock moves from Mod2 to Mod3: the NumLock variants must follow it.
    ASSERT_TRUE(m_client->moveModifier(1 + 3, 2 + 3));
    const x11::X11HotKeyService::KeyGrab moved{m_vKey, uint16_t(controlShift | mod3)};
    ASSERT_TRUE(waitUntil([&] { return m_service->grabs().contains(moved); }, 10000));
    EXPECT_TRUE(m_hotKey->isRegistered());

    press(QStringLiteral("Num_Lock"));
    ASSERT_TRUE(waitUntil([&] { return m_client->lockedModifiers() & mod3; }));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(1));

    // A new keymap puts NumLock back on Mod2, and the grab follows it there.
    press(QStringLiteral("Num_Lock"));
    ASSERT_TRUE(waitUntil([&] { return !(m_client->lockedModifiers() & mod3); }));
    ASSERT_EQ(m_server.run(QStringLiteral("setxkbmap"), {QStringLiteral("de")}), 0);
    const x11::X11HotKeyService::KeyGrab back{m_vKey, uint16_t(controlShift | mod2)};
    ASSERT_TRUE(waitUntil([&] { return m_service->grabs().contains(back); }, 10000));
    press(QStringLiteral("Num_Lock"));
    ASSERT_TRUE(waitUntil([&] { return m_client->lockedModifiers() & mod2; }));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(2));
}

TEST_F(GlobalHotKeyE2ETest, EachModifierAndAFunctionKeyAlone)
{
    // option + command + Space is Alt+Ctrl+Space.
    ASSERT_TRUE(m_hotKey->registerCombo(
        HotKeyCombo(KeyPosition::Space, HotKeyCombo::optionFlag | HotKeyCombo::commandFlag)));
    press(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(waitForPresses(1));

    // control + F5 is Super+F5.
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo(KeyPosition::F5, HotKeyCombo::controlFlag)));
    press(QStringLiteral("super+F5"));
    ASSERT_TRUE(waitForPresses(2));

    // F5 alone.
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo(KeyPosition::F5, 0)));
    press(QStringLiteral("F5"));
    ASSERT_TRUE(waitForPresses(3));
}

TEST_F(GlobalHotKeyE2ETest, KeysWithoutAnX11EquivalentAreRefused)
{
    EXPECT_FALSE(m_hotKey->registerCombo(
        HotKeyCombo(KeyPosition::Function, HotKeyCombo::commandFlag))); // fn
    EXPECT_FALSE(m_hotKey->registerCombo(HotKeyCombo(300, HotKeyCombo::commandFlag)));
    EXPECT_FALSE(m_hotKey->registerCombo(HotKeyCombo(52, HotKeyCombo::commandFlag)));
    EXPECT_TRUE(m_service->grabs().isEmpty());
    EXPECT_FALSE(m_hotKey->isRegistered());
}

TEST_F(GlobalHotKeyE2ETest, AHeldKeyFiresOnce)
{
    ASSERT_TRUE(m_hotKey->registerCombo(HotKeyCombo::defaultCombo()));
    ASSERT_TRUE(m_client->showFocusedWindow());
    // Held past the auto-repeat delay (660 ms on Xvfb) before it is let go.
    ASSERT_EQ(m_server.run(
                  QStringLiteral("sh"),
                  {QStringLiteral("-c"), QStringLiteral("xdotool keydown ctrl+shift+v; sleep 1.2; "
                                                        "xdotool keyup v shift ctrl")}),
              0);
    ASSERT_TRUE(waitForPresses(1));
    press(QStringLiteral("ctrl+shift+v"));
    ASSERT_TRUE(waitForPresses(2));
    EXPECT_EQ(m_presses, 2);
}
