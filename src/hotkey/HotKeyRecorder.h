#pragma once

#include "hotkey/HotKeyCombo.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tessaly {

class AppSettings;
class GlobalHotKey;

// The control with which the user sets the global hot key, as the settings window shows it: a
// button with the current combination (or "Pressione o atalho…" while recording) and a reset
// button back to ⇧⌘V. A click starts recording and drops the global registration, so that the
// current combination reaches the recorder instead of opening the panel; the next acceptable
// key press becomes the combination. Every way out of recording — Escape, a second click, an
// accepted press, the window going away, the recorder's end — registers the settings'
// combination again. Main thread only.
//
// The window that shows the recorder hands it every key press while isRecording() is true,
// as key positions and modifier flags (handleKeyPress), and swallows them.
class HotKeyRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
    // The main button's text.
    Q_PROPERTY(QString label READ label NOTIFY labelChanged)
    // Whether the reset button shows: not the default combination, and not recording.
    Q_PROPERTY(bool showsReset READ showsReset NOTIFY showsResetChanged)
    // "Voltar para ⇧⌘V" (the key's name on the current layout).
    Q_PROPERTY(QString resetToolTip READ resetToolTip NOTIFY labelChanged)

public:
    // `settings` and `hotKey` must outlive the recorder.
    HotKeyRecorder(AppSettings &settings, GlobalHotKey &hotKey, QObject *parent = nullptr);
    // Ends a recording under way (the registration comes back).
    ~HotKeyRecorder() override;

    // The alert sound for a press that cannot be a hot key.
    std::function<void()> beep;

    bool isRecording() const { return m_recording; }
    QString label() const;
    bool showsReset() const;
    QString resetToolTip() const;

    // The main button: starts recording, or ends it keeping the combination.
    Q_INVOKABLE void click();
    // The reset button: back to the default combination.
    Q_INVOKABLE void reset();
    // Ends recording, if it is under way, and has the settings' combination registered again.
    Q_INVOKABLE void stop();
    // A key press while recording (key position, modifier flags of HotKeyCombo); answers
    // whether the recorder took it (every press while recording, none otherwise).
    bool handleKeyPress(quint16 keyCode, quint64 modifiers);
    // The keyboard layout may have changed: the texts are read again.
    void refresh();

Q_SIGNALS:
    void isRecordingChanged();
    void labelChanged();
    void showsResetChanged();

private:
    void setRecording(bool recording);

    AppSettings &m_settings;
    GlobalHotKey &m_hotKey;
    bool m_recording = false;
    bool m_showsReset = false;
};

} // namespace tessaly
