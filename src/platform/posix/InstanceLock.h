#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

namespace tessaly {

// A lock held by the one running copy of the program for as long as it runs (an advisory lock
// on a file in the user's runtime directory). The system lets go of it when the process ends,
// however it ends, so a copy killed abruptly never keeps the next one from starting, and of
// two copies started at the same moment exactly one gets it.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &path);
    ~InstanceLock();

    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Takes the lock unless another process holds it; answers whether this one holds it now.
    // A lock file that cannot be made at all counts as taken: the program runs unguarded.
    bool tryLock();

private:
    QString m_path;
    int m_fd = -1;
};

namespace LocalRequest {

// Sends one line to the program listening on a local socket and waits for its one-line answer,
// within `timeout` in all. Absent when nobody listens there; an empty answer when somebody
// listens but gave no answer in time.
std::optional<QByteArray> send(const QString &socketPath, const QByteArray &line,
                               std::chrono::milliseconds timeout);

} // namespace LocalRequest
} // namespace tessaly
