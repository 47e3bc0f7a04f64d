#include "platform/posix/InstanceLock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tessaly {

InstanceLock::InstanceLock(const QString &path) : m_path(path) {}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // lets go of the lock
}

bool InstanceLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = m_path.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

namespace LocalRequest {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::max<long long>(left, 0));
}

// Waits until the socket is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd descriptor{fd, events, 0};
        const int ready = ::poll(&descriptor, 1, millisecondsLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

std::optional<QByteArray> send(const QString &socketPath, const QByteArray &line,
                               std::chrono::milliseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    const QByteArray path = socketPath.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return std::nullopt;
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return std::nullopt; // nobody listens (no socket, or a stale one)
        int error = 0;
        socklen_t length = sizeof error;
        if (!waitFor(fd, POLLOUT, deadline) ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return error == 0 ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    }

    const QByteArray request = line + '\n';
    qsizetype sent = 0;
    while (sent < request.size()) {
        if (!waitFor(fd, POLLOUT, deadline))
            return QByteArray();
        const ssize_t written =
            ::send(fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return QByteArray();
        sent += std::max<ssize_t>(written, 0);
    }

    // One short line back; anything longer is not an answer of ours.
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() < 256) {
        if (!waitFor(fd, POLLIN, deadline))
            return QByteArray();
        char buffer[256];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return QByteArray();
        }
        answer.append(buffer, got);
    }
    return answer.left(answer.indexOf('\n'));
}

} // namespace LocalRequest
} // namespace tessaly
