#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace tessaly::sway {

// sway's IPC socket: commands, the window tree and the configuration, each request on a
// connection of its own, so that any thread may ask. Every request is bounded: the compositor
// has `timeout` to answer, and an answer above a few megabytes is refused.
class SwayIpc
{
public:
    enum class Message : quint32
    {
        RunCommand = 0,
        Subscribe = 2,
        GetTree = 4,
        GetVersion = 7,
        GetConfig = 9,
    };

    // $SWAYSOCK, or else the newest socket of this user's sway in $XDG_RUNTIME_DIR (a program
    // started outside sway's own environment, by the session manager, say); empty when none.
    static QString defaultSocketPath();

    explicit SwayIpc(const QString &socketPath = defaultSocketPath(),
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(500));

    QString socketPath() const { return m_socketPath; }
    // Whether sway answers (its version).
    bool isReachable() const;

    // The answer's payload; absent when sway could not be reached or did not answer in time.
    std::optional<QByteArray> request(Message message, const QByteArray &payload = {}) const;
    // Runs a command list; true when every command succeeded, else sway's first error.
    bool run(const QString &commands, QString *error = nullptr) const;
    std::optional<QJsonObject> tree() const;
    // The text of the configuration sway loaded.
    std::optional<QString> config() const;

private:
    QString m_socketPath;
    std::chrono::milliseconds m_timeout;
};

// sway's window events, on a connection of their own that the event loop reads: each change
// of the focused window, with its process. Subscribed while an instance lives.
class SwayFocusEvents : public QObject
{
    Q_OBJECT

public:
    explicit SwayFocusEvents(const QString &socketPath, QObject *parent = nullptr);
    ~SwayFocusEvents() override;

    // Whether sway took the subscription.
    bool isValid() const { return m_fd >= 0; }
    // Run from the event loop with the process of each window that takes the focus.
    std::function<void(qint64 processID)> onFocus;

private:
    void readEvents();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
};

} // namespace tessaly::sway
