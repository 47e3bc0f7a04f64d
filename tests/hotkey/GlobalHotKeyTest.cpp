#include "hotkey/GlobalHotKey.h"
#include "hotkey/KeyPosition.h"

#include "fakes/FakeHotKeyService.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::FakeHotKeyService;

namespace {

const HotKeyCombo shiftCommandV = HotKeyCombo::defaultCombo();
const HotKeyCombo controlCommandSpace(KeyPosition::Space,
                                      HotKeyCombo::controlFlag | HotKeyCombo::commandFlag);

class GlobalHotKeyTest : public ::testing::Test
{
protected:
    GlobalHotKeyTest()
    {
        auto service = std::make_unique<FakeHotKeyService>();
        m_service = service.get();
        m_hotKey = std::make_unique<GlobalHotKey>(std::move(service));
        m_hotKey->setKeyboardSettle(std::chrono::milliseconds(20));
        m_hotKey->onPressed = [this] { ++m_presses; };
    }

    // Lets queued work (the press callback) run.
    static void settle() { QCoreApplication::processEvents(); }

    FakeHotKeyService *m_service = nullptr;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    int m_presses = 0;
};

} // namespace

TEST_F(GlobalHotKeyTest, PressRunsTheCallbackAfterTheHandlerReturns)
{
    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    EXPECT_TRUE(m_hotKey->isRegistered());
    EXPECT_EQ(m_service->grabbed, shiftCommandV);

    EXPECT_TRUE(m_service->press());
    EXPECT_EQ(m_presses, 0); // not from inside the handler
    settle();
    EXPECT_EQ(m_presses, 1);

    // The callback is read when the queued call runs: a cleared one is not called, a new one is.
    m_service->press();
    m_hotKey->onPressed = nullptr;
    settle();
    EXPECT_EQ(m_presses, 1);
    int replaced = 0;
    m_service->press();
    m_hotKey->onPressed = [&] { ++replaced; };
    settle();
    EXPECT_EQ(replaced, 1);
}

TEST_F(GlobalHotKeyTest, OneRegistrationAtATime)
{
    QSignalSpy changed(m_hotKey.get(), &GlobalHotKey::registeredChanged);
    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    EXPECT_EQ(changed.count(), 1);

    // The same combination again: dropped and registered again, true both times.
    EXPECT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    EXPECT_EQ(m_service->ungrabCalls, 1);
    EXPECT_EQ(m_service->grabCalls, 2);
    EXPECT_EQ(changed.count(), 1);

    EXPECT_TRUE(m_hotKey->registerCombo(controlCommandSpace));
    EXPECT_EQ(m_service->grabbed, controlCommandSpace);
    EXPECT_EQ(m_hotKey->combination(), controlCommandSpace);

    // A refused combination leaves nothing registered, not the previous one.
    m_service->refused.append(shiftCommandV);
    EXPECT_FALSE(m_hotKey->registerCombo(shiftCommandV));
    EXPECT_FALSE(m_hotKey->isRegistered());
    EXPECT_FALSE(m_hotKey->combination());
    EXPECT_FALSE(m_service->grabbed);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_FALSE(m_service->press());
}

TEST_F(GlobalHotKeyTest, UnregisterDropsTheRegistrationOnly)
{
    QSignalSpy changed(m_hotKey.get(), &GlobalHotKey::registeredChanged);
    m_hotKey->unregister(); // nothing registered: nothing happens
    EXPECT_EQ(m_service->ungrabCalls, 0);
    EXPECT_EQ(changed.count(), 0);

    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    m_hotKey->unregister();
    EXPECT_FALSE(m_hotKey->isRegistered());
    EXPECT_FALSE(m_service->grabbed);
    EXPECT_EQ(changed.count(), 2);

    // The handler stays: registering again works at once.
    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    m_service->press();
    settle();
    EXPECT_EQ(m_presses, 1);
}

TEST_F(GlobalHotKeyTest, WithoutAServiceNothingRegisters)
{
    GlobalHotKey hotKey;
    EXPECT_FALSE(hotKey.registerCombo(shiftCommandV));
    EXPECT_FALSE(hotKey.isRegistered());
    EXPECT_EQ(&GlobalHotKey::shared(), &GlobalHotKey::shared());
}

TEST_F(GlobalHotKeyTest, KeyboardChangesGrabAgainOnceSettled)
{
    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    QSignalSpy changed(m_hotKey.get(), &GlobalHotKey::registeredChanged);
    const int grabsBefore = m_service->grabCalls;

    // A burst of notifications (one layout switch sends several) gives one new grab.
    for (int i = 0; i < 5; ++i)
        m_service->changeKeyboard();
    EXPECT_EQ(m_service->grabCalls, grabsBefore);
    ASSERT_TRUE(test::waitUntil([&] { return m_service->grabCalls == grabsBefore + 1; }));
    EXPECT_EQ(m_service->grabbed, shiftCommandV);
    EXPECT_EQ(changed.count(), 0);

    // The new keyboard refuses it: lost, but kept as the combination asked for…
    m_service->refused.append(shiftCommandV);
    m_service->changeKeyboard();
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_FALSE(m_hotKey->isRegistered());
    EXPECT_EQ(m_hotKey->combination(), shiftCommandV);

    // …so the next change can bring it back.
    m_service->refused.clear();
    m_service->changeKeyboard();
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_TRUE(m_hotKey->isRegistered());
    EXPECT_EQ(m_service->grabbed, shiftCommandV);

    // Nothing registered: a keyboard change grabs nothing.
    m_hotKey->unregister();
    const int grabsAfter = m_service->grabCalls;
    m_service->changeKeyboard();
    QTest::qWait(int(m_hotKey->keyboardSettle().count()) + 50);
    EXPECT_EQ(m_service->grabCalls, grabsAfter);
}

TEST_F(GlobalHotKeyTest, SuspensionLiftsTheGrabAndRestoresIt)
{
    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    QSignalSpy changed(m_hotKey.get(), &GlobalHotKey::registeredChanged);
    {
        GlobalHotKey::Suspension outer(*m_hotKey);
        EXPECT_FALSE(m_service->grabbed);
        EXPECT_FALSE(m_service->press()); // a synthetic press reaches its target instead
        EXPECT_TRUE(m_hotKey->isRegistered());
        {
            GlobalHotKey::Suspension inner(*m_hotKey);
        }
        EXPECT_FALSE(m_service->grabbed); // still inside the outer one
        EXPECT_TRUE(m_hotKey->isSuspended());
    }
    EXPECT_FALSE(m_hotKey->isSuspended());
    EXPECT_EQ(m_service->grabbed, shiftCommandV);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(m_service->press());
    settle();
    EXPECT_EQ(m_presses, 1);

    // Nothing registered: a suspension grabs nothing at its end.
    m_hotKey->unregister();
    const int grabs = m_service->grabCalls;
    {
        GlobalHotKey::Suspension quiet(*m_hotKey);
    }
    EXPECT_EQ(m_service->grabCalls, grabs);
}

TEST_F(GlobalHotKeyTest, RegisteringWhileSuspendedWaitsForTheEnd)
{
    m_hotKey->suspend();
    EXPECT_TRUE(m_hotKey->registerCombo(controlCommandSpace)); // the system was asked
    EXPECT_FALSE(m_service->grabbed);
    EXPECT_TRUE(m_hotKey->isRegistered());
    m_service->changeKeyboard(); // covered by the grab at the end of the suspension
    m_hotKey->resume();
    EXPECT_EQ(m_service->grabbed, controlCommandSpace);
    const int grabs = m_service->grabCalls;
    QTest::qWait(int(m_hotKey->keyboardSettle().count()) + 50);
    EXPECT_EQ(m_service->grabCalls, grabs);
}

TEST_F(GlobalHotKeyTest, AGrabRefusedAfterASuspensionIsReported)
{
    ASSERT_TRUE(m_hotKey->registerCombo(shiftCommandV));
    QSignalSpy changed(m_hotKey.get(), &GlobalHotKey::registeredChanged);
    m_hotKey->suspend();
    m_service->refused.append(shiftCommandV); // another client took it meanwhile
    m_hotKey->resume();
    EXPECT_FALSE(m_hotKey->isRegistered());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m_hotKey->combination(), shiftCommandV);
}
