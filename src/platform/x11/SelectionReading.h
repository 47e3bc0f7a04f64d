#pragma once

#include "capture/Pasteboard.h"
#include "platform/x11/PropertyTransfer.h"
#include "platform/x11/XcbConnection.h"

#include <QHash>

#include <chrono>
#include <functional>
#include <memory>

namespace tessaly::x11 {

// A reading of the CLIPBOARD selection, made as an ordinary requestor over a connection of its
// own on the thread that uses it: TARGETS, then one conversion per target asked for, with INCR
// for large data.
//
// The owner's answers are awaited for at most `budget` in all (one second in the program): an
// owner that stalls, dies or answers garbage costs at most that, after which the reading is
// interrupted. A request once sent is seen through: its window stays until the owner has
// answered, refused, or had its time, so that no owner is ever left writing to a window that is
// gone. When the owner goes away the reading is interrupted at once. When another owner takes
// the selection, nothing more is asked; a request then out is answered by whoever got it, and
// the answer is kept only when it is the old owner's (what was read of the old contents stays
// good), and dropped when the new owner got the request first. A reading yields nothing at all when
// the change it was opened for is no longer the latest (a newer change gets a reading of its own)
// or when the program itself owns the selection, unless it was opened to read the program's own
// contents too.
class SelectionReading : public PasteboardReading
{
public:
    struct Context
    {
        QByteArray display;
        std::shared_ptr<AtomCache> atoms;
        // The clipboard's change count now, and the one this reading is for.
        std::function<qint64()> currentChangeCount;
        qint64 changeCount = 0;
        // The program's own selection window: its contents are never read back.
        xcb_window_t ownWindow = XCB_WINDOW_NONE;
        // Whether the program's own contents are read too (its selection thread serves them).
        bool readsOwnContents = false;
        std::chrono::milliseconds budget{1000};
    };

    explicit SelectionReading(Context context);
    ~SelectionReading() override;

    QStringList types() override;
    std::optional<QList<QStringList>> items() override;
    std::optional<QByteArray> data(qsizetype item, const QString &type, qint64 maxBytes) override;
    std::optional<QByteArray> data(const QString &type, qint64 maxBytes) override;
    QList<QUrl> fileURLs(qint64 maxBytes) override;
    std::optional<QString> string(qint64 maxBytes) override;
    bool isInterrupted() const override { return m_interrupted || m_missedAfterChange; }

    // How long the owner was waited for so far (tests, benchmarks).
    std::chrono::milliseconds timeWaited() const;

private:
    using Outcome = ConversionOutcome;

    bool begin();
    std::optional<QByteArray> fetch(const QString &target, qint64 maxBytes);
    Outcome convert(const QString &target, qint64 maxBytes);
    Outcome receiveIncrementally(xcb_window_t window, xcb_atom_t property,
                                 PropertyTransfer &transfer);
    // Waits for an event of `window` matching `accept`; handles selection changes on the way.
    Reply<xcb_generic_event_t> waitFor(xcb_window_t window,
                                       const std::function<bool(xcb_generic_event_t *)> &accept);
    void interrupt();

    Context m_context;
    std::unique_ptr<Connection> m_connection;
    bool m_begun = false;
    bool m_interrupted = false;
    // The selection changed hands while the reading ran: a request then out is seen through,
    // and nothing more is asked (a representation asked for since was missed).
    bool m_superseded = false;
    bool m_missedAfterChange = false;
    // The conversion awaited (its request's sequence number), and whether the owner that took
    // over got it.
    uint32_t m_pendingConversion = 0;
    bool m_answeredByNewOwner = false;
    xcb_window_t m_watchWindow = XCB_WINDOW_NONE;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    uint8_t m_xfixesEvent = 0;
    QStringList m_types;
    QHash<QString, Outcome> m_outcomes;
    Clock::duration m_waited{};
};

} // namespace tessaly::x11
