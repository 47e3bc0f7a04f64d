#pragma once

#include "panel/KeySynth.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <functional>

class QDBusMessage;

namespace tessaly::portal {

// Keystrokes through the desktop portal's remote-desktop interface (GNOME under Wayland, and any
// desktop whose portal offers it). The portal asks the user once, when the session starts:
// start() begins it (the program asks when it first wants to paste), and keystrokes are
// possible once the user has agreed. Every step waits for the portal without blocking: the
// answers come as D-Bus signals on the main thread.
class RemoteDesktopPortal : public QObject, public KeySynth
{
    Q_OBJECT

public:
    enum class State
    {
        Idle,     // not asked yet, or asked and refused (asking again is allowed)
        Starting, // waiting for the portal or for the user
        Started,  // keystrokes go through
    };

    explicit RemoteDesktopPortal(QDBusConnection connection = QDBusConnection::sessionBus(),
                                 QObject *parent = nullptr);
    ~RemoteDesktopPortal() override;

    // Whether the session bus has a portal that offers keyboards.
    static bool isOffered(QDBusConnection connection = QDBusConnection::sessionBus());

    // Asks the portal (and through it the user) for a keyboard; nothing while asking already or
    // once granted.
    void start();
    State state() const { return m_state; }
    // Run when the state changed.
    std::function<void()> onStateChanged;

    bool isAvailable() const override { return m_state == State::Started; }
    bool sendKeystroke(quint16 keyCode, quint64 modifiers) override;

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    enum class Step
    {
        CreateSession,
        SelectDevices,
        Start,
    };
    // Calls a method whose answer is a request: its Response signal continues at `step`.
    bool request(Step step, const QString &method, QVariantList arguments, QVariantMap options);
    void fail();
    void setState(State state);

    QDBusConnection m_connection;
    State m_state = State::Idle;
    Step m_step = Step::CreateSession;
    QString m_requestPath;
    QString m_session;
    quint64 m_tokens = 0;
};

} // namespace tessaly::portal
