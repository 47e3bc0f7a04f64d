#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <optional>

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

} // namespace tessaly::sway
