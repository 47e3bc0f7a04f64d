#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

struct wl_display;

namespace tessaly::wayland {

// The selection of a Wayland seat over the data-control protocols (ext-data-control-v1, or
// wlr-data-control-unstable-v1 where that is all the compositor offers), on a connection and a
// thread of its own: the thread dispatches the compositor's events, makes every request, and
// serves the program's own offers, so the main thread never waits for the compositor or for
// another client.
class DataControl
{
public:
    // The contents on offer at one change.
    struct Offer
    {
        quint64 serial = 0; // rises with every selection event
        QStringList types;  // in the order offered, each once
        bool own = false;   // the program's own offer
        bool empty = true;  // nothing is on the clipboard
    };
    using Contents = QList<std::pair<QString, QByteArray>>;

    // The client's objects and what its thread shares with others.
    struct State;

    // A MIME type that marks the program's own offers; never shown as content.
    static QString ownMarkerType();

    DataControl();
    ~DataControl();
    DataControl(const DataControl &) = delete;
    DataControl &operator=(const DataControl &) = delete;

    // Connects to the compositor ($WAYLAND_DISPLAY when empty) and binds the first seat's
    // selection, waiting at most `timeout` for the compositor's answers. False when there is no
    // compositor or it offers no data-control.
    bool start(const QByteArray &display, std::chrono::milliseconds timeout);
    // Which protocol is in use ("ext-data-control-v1", "wlr-data-control-unstable-v1").
    QString protocolName() const { return m_protocolName; }

    // Called on the client's thread after each selection event.
    std::function<void(const Offer &)> onSelection;

    Offer currentOffer() const;
    // Asks the owner of offer `serial` for `type`: the read end of a pipe the owner writes into
    // (the caller closes it), or -1 when that offer is no longer the selection.
    int receive(quint64 serial, const QString &type);
    // Makes these contents the selection (none: an empty selection of the program's own).
    void setSelection(const Contents &contents);
    // Ends the client's thread: no callback runs after it returns, and every later request is
    // refused at once. The destructor stops too.
    void stop();

private:
    void run();
    // Runs `task` on the client's thread and waits for it (bounded).
    void call(std::function<void()> task);

    std::unique_ptr<State> m_state;
    QString m_protocolName;
    std::thread m_thread;
};

} // namespace tessaly::wayland
