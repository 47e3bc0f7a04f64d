#include "hotkey/HotKeyRecorder.h"
#include "hotkey/GlobalHotKey.h"
#include "hotkey/HotKeyApplier.h"
#include "hotkey/KeyPosition.h"
#include "settings/AppSettings.h"

#include "fakes/FakeHotKeyService.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::FakeHotKeyService;

namespace {

constexpr quint64 shift = HotKeyCombo::shiftFlag;
constexpr quint64 command = HotKeyCombo::commandFlag;
constexpr quint64 option = HotKeyCombo::optionFlag;
constexpr quint64 capsLock = 0x10000;

class HotKeyRecorderTest : public ::testing::Test
{
protected:
    HotKeyRecorderTest()
    {
        auto service = std::make_unique<FakeHotKeyService>();
        m_service = service.get();
        m_hotKey = std::make_unique<GlobalHotKey>(std::move(service));
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("t.conf")));
        m_applier = std::make_unique<HotKeyApplier>(*m_settings, *m_hotKey);
        // As the application wires it.
        m_settings->onHotKeyChange = [this] { m_applier->applyHotKey(); };
        m_applier->applyHotKey();
        m_recorder = std::make_unique<HotKeyRecorder>(*m_settings, *m_hotKey);
        m_recorder->beep = [this] { ++m_beeps; };
    }

    QTemporaryDir m_dir;
    FakeHotKeyService *m_service = nullptr;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<HotKeyApplier> m_applier;
    std::unique_ptr<HotKeyRecorder> m_recorder;
    int m_beeps = 0;
};

} // namespace

TEST_F(HotKeyRecorderTest, EveryPressWhileRecordingIsTakenAndEveryWayOutRegistersAgain)
{
    // What each press does, from recording with ⇧⌘V set.
    const struct
    {
        const char *what;
        quint16 key;
        quint64 modifiers;
        bool staysRecording;
        int beeps;
        HotKeyCombo stored;
    } presses[] = {
        {"Escape keeps the old one", KeyPosition::Escape, 0, false, 0, HotKeyCombo::defaultCombo()},
        {"Escape with modifiers is no hot key", KeyPosition::Escape, command | option, false, 0,
         HotKeyCombo::defaultCombo()},
        {"Shift alone beeps", KeyPosition::V, shift, true, 1, HotKeyCombo::defaultCombo()},
        {"no modifier beeps", KeyPosition::K, 0, true, 1, HotKeyCombo::defaultCombo()},
        {"a function key needs none", KeyPosition::F5, 0, false, 0,
         HotKeyCombo(KeyPosition::F5, 0)},
        {"Caps Lock is not stored", KeyPosition::K, command | option | capsLock, false, 0,
         HotKeyCombo(KeyPosition::K, command | option)},
    };
    for (const auto &press : presses) {
        m_settings->setHotKey(HotKeyCombo::defaultCombo());
        m_beeps = 0;
        m_recorder->click();
        ASSERT_TRUE(m_recorder->isRecording()) << press.what;
        EXPECT_FALSE(m_service->grabbed) << press.what << ": the hot key reaches the recorder";
        EXPECT_EQ(m_recorder->label(), QStringLiteral("Pressione o atalho…"));

        EXPECT_TRUE(m_recorder->handleKeyPress(press.key, press.modifiers)) << press.what;
        EXPECT_EQ(m_recorder->isRecording(), press.staysRecording) << press.what;
        EXPECT_EQ(m_beeps, press.beeps) << press.what;
        EXPECT_EQ(m_settings->hotKey(), press.stored) << press.what;
        m_recorder->stop();
        EXPECT_EQ(m_service->grabbed, press.stored) << press.what << ": registered again";
        EXPECT_FALSE(m_recorder->handleKeyPress(KeyPosition::K, command))
            << "idle: nothing is taken";
    }

    // A second click ends recording, keeping the combination.
    m_recorder->click();
    m_recorder->click();
    EXPECT_FALSE(m_recorder->isRecording());
    EXPECT_EQ(m_service->grabbed, m_settings->hotKey());

    // The recorder going away while recording restores the registration.
    m_recorder->click();
    EXPECT_FALSE(m_service->grabbed);
    m_recorder.reset();
    EXPECT_EQ(m_service->grabbed, m_settings->hotKey());
}

TEST_F(HotKeyRecorderTest, TheSameCombinationAssignsNothingAndResetComesBackToTheDefault)
{
    QSignalSpy changes(m_settings.get(), &AppSettings::hotKeyChanged);
    QSignalSpy resetShown(m_recorder.get(), &HotKeyRecorder::showsResetChanged);
    EXPECT_FALSE(m_recorder->showsReset());

    m_recorder->click();
    m_recorder->handleKeyPress(KeyPosition::V, command | shift);
    EXPECT_EQ(changes.count(), 0) << "the settings are not rewritten";
    EXPECT_FALSE(m_recorder->showsReset());

    m_recorder->click();
    m_recorder->handleKeyPress(KeyPosition::K, command | option);
    EXPECT_EQ(m_settings->hotKey(), HotKeyCombo(KeyPosition::K, command | option));
    EXPECT_EQ(m_service->grabbed, HotKeyCombo(KeyPosition::K, command | option));
    EXPECT_TRUE(m_recorder->showsReset());
    m_recorder->click(); // hidden while recording
    EXPECT_FALSE(m_recorder->showsReset());
    m_recorder->stop();
    EXPECT_TRUE(m_recorder->showsReset());

    m_recorder->reset();
    EXPECT_EQ(m_settings->hotKey(), HotKeyCombo::defaultCombo());
    EXPECT_EQ(m_service->grabbed, HotKeyCombo::defaultCombo());
    EXPECT_FALSE(m_recorder->showsReset());
    EXPECT_EQ(resetShown.count(), 4);
    EXPECT_TRUE(m_recorder->resetToolTip().startsWith(QStringLiteral("Voltar para ⇧⌘")));
}
