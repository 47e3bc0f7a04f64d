#pragma once

#include <QObject>

namespace tessaly {

class AppSettings;
class GlobalHotKey;

// Keeps the settings' hot key registered and publishes the outcome in hotKeyRegistered: once
// when asked (at start and after every assignment of the hot key), and again whenever the
// registration is lost or regained by itself (a keyboard change, the end of a suspension).
// A registration dropped on purpose (the recorder listening for a new combination) is not
// published: the flag keeps describing the last attempt.
class HotKeyApplier : public QObject
{
    Q_OBJECT

public:
    HotKeyApplier(AppSettings &settings, GlobalHotKey &hotKey, QObject *parent = nullptr);

    // Registers settings.hotKey (replacing any earlier registration), stores whether it was
    // accepted in settings.hotKeyRegistered (observers hear of it only when it changes) and
    // answers it.
    bool applyHotKey();

private:
    void followRegistration();

    AppSettings &m_settings;
    GlobalHotKey &m_hotKey;
};

} // namespace tessaly
