#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

namespace tessaly {

namespace {

// A request is a short line; a peer that sends more, or nothing for this long, is dropped.
constexpr qsizetype longestRequest = 64;
constexpr int requestTimeoutMs = 1000;

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent), m_lock(socketPath() + QStringLiteral(".lock"))
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/tessaly.socket");
    return QDir::tempPath() + QStringLiteral("/tessaly-%1.socket").arg(::getuid());
}

QByteArray SingleInstance::requestName(Request request)
{
    switch (request) {
    case Request::Reopen:
        return "reopen";
    case Request::Toggle:
        return "toggle";
    case Request::Settings:
        return "settings";
    case Request::Quit:
        return "quit";
    }
    return {};
}

std::optional<SingleInstance::Request> SingleInstance::requestNamed(const QByteArray &name)
{
    for (const Request request :
         {Request::Reopen, Request::Toggle, Request::Settings, Request::Quit}) {
        if (requestName(request) == name)
            return request;
    }
    return std::nullopt;
}

SingleInstance::Delivery SingleInstance::ask(Request request, std::chrono::milliseconds timeout)
{
    const auto answer = LocalRequest::send(socketPath(), requestName(request), timeout);
    if (!answer)
        return Delivery::NotRunning;
    return *answer == "ok" ? Delivery::Delivered : Delivery::NoAnswer;
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock())
        return false; // another copy runs
    // The lock is ours: whatever is left at the path belongs to a copy that ended abruptly.
    const QString path = socketPath();
    QLocalServer::removeServer(path);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path))
        return true; // cannot listen (an odd runtime directory): run anyway, unreachable
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            // A peer that says nothing sensible in time is dropped.
            QTimer::singleShot(requestTimeoutMs, socket, &QLocalSocket::abort);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > longestRequest)
                        socket->abort();
                    return;
                }
                const auto request = requestNamed(socket->readLine(longestRequest).trimmed());
                if (!request) {
                    socket->abort();
                    return;
                }
                // Acknowledged before it is carried out: a quit must not swallow the answer.
                socket->write("ok\n");
                socket->flush();
                socket->disconnectFromServer();
                QMetaObject::invokeMethod(
                    this, [this, request] { Q_EMIT requested(*request); }, Qt::QueuedConnection);
            });
        }
    });
    return true;
}

} // namespace tessaly
