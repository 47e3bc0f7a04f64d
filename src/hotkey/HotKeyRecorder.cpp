#include "hotkey/HotKeyRecorder.h"

#include "hotkey/GlobalHotKey.h"
#include "hotkey/KeyPosition.h"
#include "hotkey/KeyboardLayout.h"
#include "settings/AppSettings.h"

namespace tessaly {

namespace {

// A hot key needs one of these held, unless it is a function key.
constexpr quint64 requiredFlags =
    HotKeyCombo::commandFlag | HotKeyCombo::optionFlag | HotKeyCombo::controlFlag;

} // namespace

HotKeyRecorder::HotKeyRecorder(AppSettings &settings, GlobalHotKey &hotKey, QObject *parent)
    : QObject(parent), m_settings(settings), m_hotKey(hotKey), m_showsReset(showsReset())
{
    connect(&m_settings, &AppSettings::hotKeyChanged, this, &HotKeyRecorder::refresh);
}

HotKeyRecorder::~HotKeyRecorder()
{
    stop();
}

QString HotKeyRecorder::label() const
{
    return m_recording ? QStringLiteral("Pressione o atalho…")
                       : m_settings.hotKey().displayString();
}

bool HotKeyRecorder::showsReset() const
{
    return !m_recording && m_settings.hotKey() != HotKeyCombo::defaultCombo();
}

QString HotKeyRecorder::resetToolTip() const
{
    return QStringLiteral("Voltar para ⇧⌘") +
           KeyboardLayout::displayName(HotKeyCombo::defaultKeyCode);
}

void HotKeyRecorder::refresh()
{
    Q_EMIT labelChanged();
    const bool shows = showsReset();
    if (shows != m_showsReset) {
        m_showsReset = shows;
        Q_EMIT showsResetChanged();
    }
}

void HotKeyRecorder::setRecording(bool recording)
{
    if (recording == m_recording)
        return;
    m_recording = recording;
    Q_EMIT isRecordingChanged();
    refresh();
}

void HotKeyRecorder::click()
{
    if (m_recording) {
        stop();
        return;
    }
    setRecording(true);
    // The current combination must reach the recorder, not open the panel.
    m_hotKey.unregister();
}

void HotKeyRecorder::reset()
{
    m_settings.setHotKey(HotKeyCombo::defaultCombo());
}

void HotKeyRecorder::stop()
{
    if (!m_recording)
        return;
    setRecording(false);
    if (m_settings.onHotKeyChange)
        m_settings.onHotKeyChange(); // the settings' combination is registered again
}

bool HotKeyRecorder::handleKeyPress(quint16 keyCode, quint64 modifiers)
{
    if (!m_recording)
        return false;
    if (keyCode == KeyPosition::Escape) {
        stop();
        return true;
    }
    if (!KeyboardLayout::functionKeyCodes().contains(keyCode) && !(modifiers & requiredFlags)) {
        if (beep)
            beep(); // Shift alone, or nothing: keep recording
        return true;
    }
    stop();
    const HotKeyCombo combo(keyCode, modifiers & HotKeyCombo::significantFlags);
    if (combo != m_settings.hotKey())
        m_settings.setHotKey(combo);
    return true;
}

} // namespace tessaly
