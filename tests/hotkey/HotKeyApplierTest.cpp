#include "hotkey/HotKeyApplier.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/KeyPosition.h"
#include "settings/AppSettings.h"

#include "fakes/FakeHotKeyService.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::FakeHotKeyService;

namespace {

const HotKeyCombo takenCombo(KeyPosition::V,
                             HotKeyCombo::commandFlag); // held by another application
const HotKeyCombo freeCombo(KeyPosition::Space,
                            HotKeyCombo::controlFlag | HotKeyCombo::commandFlag);

class HotKeyApplierTest : public ::testing::Test
{
protected:
    HotKeyApplierTest()
    {
        auto service = std::make_unique<FakeHotKeyService>();
        m_service = service.get();
        m_service->refused.append(takenCombo);
        m_hotKey = std::make_unique<GlobalHotKey>(std::move(service));
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("t.conf")));
        m_applier = std::make_unique<HotKeyApplier>(*m_settings, *m_hotKey);
        // As the application wires it.
        m_settings->onHotKeyChange = [this] { m_applier->applyHotKey(); };
    }

    QTemporaryDir m_dir;
    FakeHotKeyService *m_service = nullptr;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<HotKeyApplier> m_applier;
};

} // namespace

TEST_F(HotKeyApplierTest, PublishesTheOutcomeOfEachAttempt)
{
    QSignalSpy flag(m_settings.get(), &AppSettings::hotKeyRegisteredChanged);
    EXPECT_TRUE(m_applier->applyHotKey());
    EXPECT_EQ(m_service->grabbed, HotKeyCombo::defaultCombo());
    EXPECT_TRUE(m_settings->hotKeyRegistered());
    EXPECT_EQ(flag.count(), 0); // unchanged: nobody is told

    m_settings->setHotKey(takenCombo);
    EXPECT_FALSE(m_settings->hotKeyRegistered());
    EXPECT_FALSE(m_service->grabbed);
    EXPECT_EQ(flag.count(), 1);

    // The same refused combination again keeps the flag down without a new notification.
    m_settings->setHotKey(takenCombo);
    EXPECT_FALSE(m_settings->hotKeyRegistered());
    EXPECT_EQ(flag.count(), 1);

    // A free one works at once.
    m_settings->setHotKey(freeCombo);
    EXPECT_TRUE(m_settings->hotKeyRegistered());
    EXPECT_EQ(m_service->grabbed, freeCombo);
    EXPECT_EQ(flag.count(), 2);
}

TEST_F(HotKeyApplierTest, FollowsARegistrationLostAndRegainedByItself)
{
    ASSERT_TRUE(m_applier->applyHotKey());
    m_hotKey->suspend();
    m_service->refused.append(HotKeyCombo::defaultCombo());
    m_hotKey->resume();
    EXPECT_FALSE(m_settings->hotKeyRegistered());

    m_service->refused.removeAll(HotKeyCombo::defaultCombo());
    m_service->changeKeyboard();
    QSignalSpy flag(m_settings.get(), &AppSettings::hotKeyRegisteredChanged);
    ASSERT_TRUE(flag.wait(2000));
    EXPECT_TRUE(m_settings->hotKeyRegistered());
}

TEST_F(HotKeyApplierTest, AnUnregistrationOnPurposeIsNotAFailure)
{
    ASSERT_TRUE(m_applier->applyHotKey());
    // The recorder takes the registration away while it listens.
    m_hotKey->unregister();
    EXPECT_TRUE(m_settings->hotKeyRegistered());
    // …and gives it back through the settings' callback when it stops.
    m_settings->onHotKeyChange();
    EXPECT_EQ(m_service->grabbed, HotKeyCombo::defaultCombo());
    EXPECT_TRUE(m_settings->hotKeyRegistered());
}
