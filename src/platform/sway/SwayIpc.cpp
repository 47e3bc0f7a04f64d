#include "platform/sway/SwayIpc.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <utility>

namespace tessaly::sway {

using Clock = std::chrono::steady_clock;

namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr qsizetype headerSize = sizeof magic + 2 * sizeof(quint32);
// The largest answer taken (a tree of thousands of windows is far below).
constexpr quint32 maximumAnswer = 16 * 1024 * 1024;

class Socket
{
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    int fd() const { return m_fd; }
    // Hands the descriptor over: it is no longer closed here.
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Waits for the socket to be ready for `events` until the deadline.
bool wait(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd ready{fd, events, 0};
        const int result = ::poll(&ready, 1, int(left));
        if (result > 0)
            return !(ready.revents & (POLLERR | POLLNVAL)) || (ready.revents & POLLIN);
        if (result < 0 && errno != EINTR)
            return false;
    }
}

bool writeAll(int fd, const QByteArray &bytes, Clock::time_point deadline)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (written > 0) {
            done += written;
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && errno == EAGAIN) {
            if (!wait(fd, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool readExactly(int fd, char *into, qsizetype size, Clock::time_point deadline)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = ::recv(fd, into + done, size_t(size - done), 0);
        if (got > 0) {
            done += got;
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && errno == EAGAIN) {
            if (!wait(fd, POLLIN, deadline))
                return false;
        } else {
            return false; // closed, or broken
        }
    }
    return true;
}

} // namespace

QString SwayIpc::defaultSocketPath()
{
    const QString fromSway = qEnvironmentVariable("SWAYSOCK");
    if (!fromSway.isEmpty())
        return fromSway;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QFileInfoList sockets = QDir(runtime).entryInfoList(
        {QStringLiteral("sway-ipc.%1.*.sock").arg(::getuid())}, QDir::System, QDir::Time);
    return sockets.isEmpty() ? QString() : sockets.first().filePath();
}

SwayIpc::SwayIpc(const QString &socketPath, std::chrono::milliseconds timeout)
    : m_socketPath(socketPath), m_timeout(timeout)
{}

bool SwayIpc::isReachable() const
{
    return request(Message::GetVersion).has_value();
}

namespace {

// A non-blocking connection to sway's socket; -1 when it cannot be made.
int connectTo(const QString &socketPath)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 &&
        !(errno == EAGAIN || errno == EINPROGRESS)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray messageOf(SwayIpc::Message message, const QByteArray &payload)
{
    QByteArray bytes(magic, sizeof magic);
    const quint32 header[] = {quint32(payload.size()), quint32(message)};
    bytes.append(reinterpret_cast<const char *>(header), sizeof header);
    bytes.append(payload);
    return bytes;
}

} // namespace

std::optional<QByteArray> SwayIpc::request(Message message, const QByteArray &payload) const
{
    const Clock::time_point deadline = Clock::now() + m_timeout;
    Socket socket(connectTo(m_socketPath));
    if (socket.fd() < 0)
        return std::nullopt;
    if (!writeAll(socket.fd(), messageOf(message, payload), deadline))
        return std::nullopt;

    char answerHeader[headerSize];
    if (!readExactly(socket.fd(), answerHeader, headerSize, deadline) ||
        std::memcmp(answerHeader, magic, sizeof magic) != 0)
        return std::nullopt;
    quint32 length = 0;
    quint32 type = 0;
    std::memcpy(&length, answerHeader + sizeof magic, sizeof length);
    std::memcpy(&type, answerHeader + sizeof magic + sizeof length, sizeof type);
    if (type != quint32(message) || length > maximumAnswer)
        return std::nullopt;
    QByteArray answer(qsizetype(length), Qt::Uninitialized);
    if (!readExactly(socket.fd(), answer.data(), answer.size(), deadline))
        return std::nullopt;
    return answer;
}

bool SwayIpc::run(const QString &commands, QString *error) const
{
    const auto answer = request(Message::RunCommand, commands.toUtf8());
    if (!answer) {
        if (error)
            *error = QStringLiteral("o sway não respondeu");
        return false;
    }
    const QJsonArray results = QJsonDocument::fromJson(*answer).array();
    if (results.isEmpty()) {
        if (error)
            *error = QStringLiteral("resposta ilegível do sway");
        return false;
    }
    for (const QJsonValue &result : results) {
        if (!result.toObject().value(QStringLiteral("success")).toBool()) {
            if (error)
                *error = result.toObject().value(QStringLiteral("error")).toString();
            return false;
        }
    }
    return true;
}

std::optional<QJsonObject> SwayIpc::tree() const
{
    const auto answer = request(Message::GetTree);
    if (!answer)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*answer);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<QString> SwayIpc::config() const
{
    const auto answer = request(Message::GetConfig);
    if (!answer)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*answer);
    if (!document.isObject())
        return std::nullopt;
    return document.object().value(QStringLiteral("config")).toString();
}

SwayFocusEvents::SwayFocusEvents(const QString &socketPath, QObject *parent) : QObject(parent)
{
    Socket socket(connectTo(socketPath));
    if (socket.fd() < 0)
        return;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(500);
    if (!writeAll(socket.fd(),
                  messageOf(SwayIpc::Message::Subscribe, QByteArrayLiteral(R"(["window"])")),
                  deadline))
        return;
    // sway answers the subscription first; the events follow.
    char header[headerSize];
    quint32 length = 0;
    if (!readExactly(socket.fd(), header, headerSize, deadline))
        return;
    std::memcpy(&length, header + sizeof magic, sizeof length);
    QByteArray answer(qsizetype(qMin(length, maximumAnswer)), Qt::Uninitialized);
    if (length > maximumAnswer ||
        !readExactly(socket.fd(), answer.data(), answer.size(), deadline) ||
        !answer.contains("true"))
        return;
    m_fd = socket.release();
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SwayFocusEvents::readEvents);
}

SwayFocusEvents::~SwayFocusEvents()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void SwayFocusEvents::readEvents()
{
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (got > 0) {
            m_pending.append(chunk, qsizetype(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0 || (got < 0 && errno != EAGAIN)) {
            m_notifier->setEnabled(false); // sway went away
            return;
        }
        break;
    }
    // Whole events only; one bigger than any answer ends the subscription.
    while (m_pending.size() >= headerSize) {
        quint32 length = 0;
        std::memcpy(&length, m_pending.constData() + sizeof magic, sizeof length);
        if (std::memcmp(m_pending.constData(), magic, sizeof magic) != 0 ||
            length > maximumAnswer) {
            m_notifier->setEnabled(false);
            m_pending.clear();
            return;
        }
        if (m_pending.size() < headerSize + qsizetype(length))
            return;
        const QJsonObject event =
            QJsonDocument::fromJson(m_pending.mid(headerSize, qsizetype(length))).object();
        m_pending.remove(0, headerSize + qsizetype(length));
        if (event.value(QStringLiteral("change")).toString() == QStringLiteral("focus") &&
            onFocus) {
            onFocus(event.value(QStringLiteral("container"))
                        .toObject()
                        .value(QStringLiteral("pid"))
                        .toInteger());
        }
    }
}

} // namespace tessaly::sway
