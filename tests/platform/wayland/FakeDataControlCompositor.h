#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

namespace tessaly::test {

// A compositor of the tests' own that offers a seat and the data-control managers asked for,
// and nothing else, on a socket in a folder of its own. It keeps one clipboard selection, which
// its clients set and read as on a real compositor; it can also set one itself, as another
// application would. It runs on a thread of its own from construction to destruction.
class FakeDataControlCompositor
{
public:
    struct Globals
    {
        bool ext = true;  // ext_data_control_manager_v1
        bool wlr = false; // zwlr_data_control_manager_v1 (version 2)
    };

    explicit FakeDataControlCompositor(Globals globals);
    ~FakeDataControlCompositor();
    FakeDataControlCompositor(const FakeDataControlCompositor &) = delete;
    FakeDataControlCompositor &operator=(const FakeDataControlCompositor &) = delete;

    // The socket's full path (a WAYLAND_DISPLAY), empty when the compositor could not start.
    QString socketPath() const;

    // Sets the selection to an offer of the compositor's own: another application's copy.
    void offer(const QList<QPair<QString, QByteArray>> &representations);
    // The types of the current selection, in the order they were offered.
    QStringList selectionTypes() const;
    // Reads one type of the current selection as any client would (at most one second).
    QByteArray receive(const QString &type) const;
    // How many data-control devices clients hold now.
    int deviceCount() const;

    struct Server;

private:
    std::unique_ptr<Server> m_server;
};

} // namespace tessaly::test
