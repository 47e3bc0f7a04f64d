#pragma once

#include "platform/x11/XcbConnection.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaly::x11 {

// The program's side of the CLIPBOARD selection, on a thread and a connection of its own:
// it counts every change of the selection's owner (XFixes), and while the program owns the
// selection it answers other applications' requests — TARGETS, TIMESTAMP and every type
// written, with INCR for large data — whatever the main thread is doing.
class SelectionOwner
{
public:
    using Representations = QList<std::pair<QString, QByteArray>>;

    // `onForeignChange` runs on the selection thread after another application's change was
    // counted.
    SelectionOwner(const QByteArray &display, std::shared_ptr<AtomCache> atoms,
                   std::function<void()> onForeignChange);
    ~SelectionOwner();

    SelectionOwner(const SelectionOwner &) = delete;
    SelectionOwner &operator=(const SelectionOwner &) = delete;

    bool isValid() const { return m_valid; }
    xcb_window_t window() const { return m_window; }

    // Rises with every change of the selection's owner. Any thread.
    qint64 changeCount() const { return m_changeCount->load(); }
    // The counter itself, for readings that may outlive this object.
    std::shared_ptr<const std::atomic<qint64>> changeCounter() const { return m_changeCount; }

    // Counts a change of the program's own that is about to be made by own().
    qint64 countOwnChange();
    // Becomes the owner with these contents (possibly none), counting the change unless it was
    // counted already: the count is then changeCount() at once, and the server's report of
    // this ownership is not counted again.
    void own(const Representations &contents, bool alreadyCounted);
    bool isOwner() const;

    // Data longer than this is sent in pieces of this size (INCR).
    static constexpr qint64 incrementalChunk = 256 * 1024;

private:
    struct Transfer
    {
        xcb_atom_t type = XCB_ATOM_NONE;
        QByteArray data;
        qint64 offset = 0;
        Clock::time_point lastActivity;
    };

    void run();
    void handle(xcb_generic_event_t *event);
    void serve(const xcb_selection_request_event_t *request);
    void sendNextPiece(xcb_window_t requestor, xcb_atom_t property);
    void selectionLost();
    void expireTransfers();

    void wake(char reason);

    // Events and serving, on the selection thread; the main thread only sends requests that
    // have no reply on it.
    std::unique_ptr<Connection> m_connection;
    // Atom look-ups from any thread, so that no reply is ever read off the event connection
    // by another thread.
    std::unique_ptr<Connection> m_lookups;
    std::function<void()> m_onForeignChange;
    bool m_valid = false;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    uint8_t m_xfixesEvent = 0;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    xcb_atom_t m_timestamp = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_text = XCB_ATOM_NONE;
    xcb_atom_t m_utf8String = XCB_ATOM_NONE;
    qint64 m_maxPropertyBytes = incrementalChunk;

    std::shared_ptr<std::atomic<qint64>> m_changeCount = std::make_shared<std::atomic<qint64>>(0);

    // Shared with the main thread.
    mutable std::mutex m_mutex;
    QList<std::pair<xcb_atom_t, QByteArray>> m_contents;
    bool m_owning = false;
    quint64 m_ownership = 0; // raised by every own()
    xcb_timestamp_t m_acquiredAt = XCB_CURRENT_TIME;

    // Selection thread only.
    QHash<QPair<xcb_window_t, xcb_atom_t>, Transfer> m_transfers;
    int m_wakeFds[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace tessaly::x11
