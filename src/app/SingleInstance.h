#pragma once

#include "platform/posix/InstanceLock.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QLocalServer;

namespace tessaly {

// One running copy of the program per user, and the way later starts reach it. The running
// copy holds a lock in the user's runtime directory and listens on a local socket beside it;
// a later start (`tessaly`, `tessaly --toggle` …) sends it one request over that socket and
// ends. Two copies would both record every copy and overwrite each other's history.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // What a later start asks of the running copy.
    enum class Request
    {
        Reopen,   // started again without an option: show the settings
        Toggle,   // open or close the panel, as the hot key does
        Settings, // open the settings window
        Quit,     // end cleanly
    };
    Q_ENUM(Request)

    // How a request fared.
    enum class Delivery
    {
        Delivered,
        NotRunning,
        NoAnswer
    };

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running copy unless another one is; then listens for requests.
    bool claim();

    // Sends a request to the running copy and waits for it to acknowledge, `timeout` at most.
    static Delivery ask(Request request, std::chrono::milliseconds timeout);

    static QByteArray requestName(Request request);
    static std::optional<Request> requestNamed(const QByteArray &name);

    // $XDG_RUNTIME_DIR/tessaly.socket, or a per-user name in the temporary directory; the lock
    // is the same path with ".lock".
    static QString socketPath();

Q_SIGNALS:
    // A later start asked for this (queued from the socket, on the main thread).
    void requested(tessaly::SingleInstance::Request request);

private:
    InstanceLock m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace tessaly
