#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace tessaly {

// One running copy of the program per user: the first one listens on a local socket in the
// user's runtime directory, and a later one finds it there. Two copies would both record every
// copy and overwrite each other's history.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Starts listening, unless another copy already does; answers whether this copy is the one.
    bool claim();

    // $XDG_RUNTIME_DIR/tessaly.socket, or a per-user name in the temporary directory.
    static QString socketPath();

Q_SIGNALS:
    // Another copy was started and found this one.
    void anotherStarted();

private:
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace tessaly
