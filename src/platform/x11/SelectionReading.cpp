#include "platform/x11/SelectionReading.h"

#include "platform/clipboard/SelectionTypes.h"

#include <xcb/xfixes.h>

#include <QSet>

namespace tessaly::x11 {

namespace {

// More targets than this is not a clipboard but garbage.
constexpr qint64 largestTargetList = 4 * 4096;

uint8_t eventType(const xcb_generic_event_t *event)
{
    return event->response_type & 0x7f;
}

std::optional<PropertyValue> valueOf(const xcb_get_property_reply_t *reply)
{
    if (!reply)
        return std::nullopt;
    return PropertyValue{reply->type, reply->format,
                         QByteArrayView(static_cast<const char *>(xcb_get_property_value(
                                            const_cast<xcb_get_property_reply_t *>(reply))),
                                        xcb_get_property_value_length(reply)),
                         reply->bytes_after};
}

} // namespace

SelectionReading::SelectionReading(Context context) : m_context(std::move(context)) {}

SelectionReading::~SelectionReading() = default; // the connection takes its windows along

std::chrono::milliseconds SelectionReading::timeWaited() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_waited);
}

void SelectionReading::interrupt()
{
    m_interrupted = true;
}

bool SelectionReading::begin()
{
    if (m_begun)
        return !isInterrupted();
    m_begun = true;

    // A newer change has its own reading; this one's contents are gone. (A reading of whatever
    // is there, own contents included, takes the contents as they are when it begins.)
    if (!m_context.readsOwnContents && m_context.currentChangeCount &&
        m_context.currentChangeCount() != m_context.changeCount) {
        interrupt();
        return false;
    }

    m_connection = std::make_unique<Connection>(m_context.display, m_context.atoms);
    if (!m_connection->isValid()) {
        interrupt();
        return false;
    }
    xcb_connection_t *c = m_connection->get();
    const QList<xcb_atom_t> atoms =
        m_connection->atoms({QStringLiteral("CLIPBOARD"), QStringLiteral("_TESSALY_SELECTION"),
                             QStringLiteral("INCR")});
    m_clipboard = atoms[0];
    m_property = atoms[1];
    m_incr = atoms[2];

    // Watch the selection: when it changes hands while we read, what we read is stale.
    m_xfixesEvent = m_connection->firstEvent(&xcb_xfixes_id);
    m_watchWindow = m_connection->createHiddenWindow(0);
    if (m_xfixesEvent) {
        Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        xcb_xfixes_select_selection_input(
            c, m_watchWindow, m_clipboard,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    // The reply comes after every event the server sent before it: drop those, they are about
    // changes before this reading.
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboard), nullptr));
    while (Reply<xcb_generic_event_t> stale{xcb_poll_for_queued_event(c)}) {
    }
    if (!owner || owner->owner == XCB_WINDOW_NONE ||
        (owner->owner == m_context.ownWindow && !m_context.readsOwnContents))
        return true; // nothing to read, or the program's own contents

    const auto offered =
        PropertyTransfer::atomsOfTargets(convert(QStringLiteral("TARGETS"), largestTargetList));
    if (!offered)
        return !isInterrupted(); // no list, or not a list of atoms: nothing to read
    QSet<QString> seen;
    for (const QString &name : m_connection->atomNames(*offered)) {
        if (name.isEmpty() || clipboard::SelectionTypes::isMetaTarget(name) || seen.contains(name))
            continue;
        seen.insert(name);
        m_types.append(name);
    }
    return !isInterrupted();
}

Reply<xcb_generic_event_t>
SelectionReading::waitFor(xcb_window_t window,
                          const std::function<bool(xcb_generic_event_t *)> &accept)
{
    const Clock::duration budget = m_context.budget;
    for (;;) {
        if (m_waited >= budget) {
            interrupt(); // the owner had its time
            return nullptr;
        }
        const Clock::time_point start = Clock::now();
        Reply<xcb_generic_event_t> event = m_connection->waitForEvent(start + (budget - m_waited));
        m_waited += Clock::now() - start;
        if (!event) {
            interrupt();
            return nullptr;
        }
        if (m_xfixesEvent &&
            eventType(event.get()) == m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto *change =
                reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event.get());
            if (change->subtype != XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER) {
                interrupt(); // the owner went away: nobody is left to answer
                return nullptr;
            }
            // Another owner took over, and nothing more is asked. A request already sent is
            // answered by whoever has it: the answer is awaited (a window destroyed under a
            // writing owner kills many a program with BadWindow). The event carries the number
            // of our last request the server had handled when the owner changed: a change before
            // the conversion means the new owner answers it, and that answer is left unused.
            m_superseded = true;
            if (int32_t(event->full_sequence - m_pendingConversion) < 0)
                m_answeredByNewOwner = true;
            continue;
        }
        if (eventType(event.get()) == XCB_SELECTION_NOTIFY &&
            reinterpret_cast<xcb_selection_notify_event_t *>(event.get())->requestor != window)
            continue;
        if (eventType(event.get()) == XCB_PROPERTY_NOTIFY &&
            reinterpret_cast<xcb_property_notify_event_t *>(event.get())->window != window)
            continue;
        if (accept(event.get()))
            return event;
    }
}

SelectionReading::Outcome SelectionReading::convert(const QString &target, qint64 maxBytes)
{
    xcb_connection_t *c = m_connection->get();
    const xcb_atom_t targetAtom = m_connection->atom(target);
    if (targetAtom == XCB_ATOM_NONE)
        return {};
    // A window per conversion, kept until its owner has answered (or had its time): whatever a
    // stalled transfer sends later goes to a window that no longer exists.
    const xcb_window_t window = m_connection->createHiddenWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const auto done = [&](Outcome outcome) {
        xcb_destroy_window(c, window);
        xcb_flush(c);
        return m_answeredByNewOwner ? Outcome{} : outcome;
    };
    m_answeredByNewOwner = false;
    m_pendingConversion =
        xcb_convert_selection(c, window, m_clipboard, targetAtom, m_property, XCB_CURRENT_TIME)
            .sequence;
    xcb_flush(c);

    const auto notify = waitFor(window, [](xcb_generic_event_t *event) {
        return eventType(event) == XCB_SELECTION_NOTIFY;
    });
    if (!notify)
        return done({});
    if (reinterpret_cast<xcb_selection_notify_event_t *>(notify.get())->property == XCB_ATOM_NONE)
        return done({}); // refused

    PropertyTransfer transfer(m_incr, maxBytes);
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, window, m_property, XCB_GET_PROPERTY_TYPE_ANY,
                                                0, transfer.longsToAsk()),
                               nullptr));
    if (transfer.begin(valueOf(reply.get())) == PropertyTransfer::Next::Finished) {
        if (transfer.outcome().bytes) // an INCR owner would start writing on a delete
            xcb_delete_property(c, window, m_property);
        return done(transfer.outcome());
    }
    reply.reset();
    xcb_delete_property(c, window, m_property); // asks the owner to start
    xcb_flush(c);
    return done(receiveIncrementally(window, m_property, transfer));
}

SelectionReading::Outcome SelectionReading::receiveIncrementally(xcb_window_t window,
                                                                 xcb_atom_t property,
                                                                 PropertyTransfer &transfer)
{
    xcb_connection_t *c = m_connection->get();
    for (;;) {
        const auto chunk = waitFor(window, [property](xcb_generic_event_t *event) {
            if (eventType(event) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
            return notify->atom == property && notify->state == XCB_PROPERTY_NEW_VALUE;
        });
        if (!chunk)
            return {};
        // Reading with delete set removes the property, which asks the owner for the next piece.
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c,
            xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                             transfer.longsToAsk()),
            nullptr));
        if (transfer.piece(valueOf(reply.get())) == PropertyTransfer::Next::Finished)
            return transfer.outcome(); // when abandoned, the window goes and the owner gives up
    }
}

std::optional<QByteArray> SelectionReading::fetch(const QString &target, qint64 maxBytes)
{
    if (!begin() || !m_types.contains(target))
        return std::nullopt;
    const auto known = m_outcomes.constFind(target);
    if (known != m_outcomes.cend()) {
        if (known->bytes)
            return known->bytes->size() <= maxBytes ? known->bytes : std::nullopt;
        if (known->longerThan < 0 || maxBytes <= known->longerThan)
            return std::nullopt; // no data, or known to be too long for this limit too
    }
    if (m_superseded)
        m_missedAfterChange = true; // what is read now would be the new owner's
    if (isInterrupted())
        return std::nullopt;
    const Outcome outcome = convert(target, maxBytes);
    m_outcomes.insert(target, outcome);
    return outcome.bytes;
}

QStringList SelectionReading::types()
{
    begin();
    return m_types;
}

std::optional<QList<QStringList>> SelectionReading::items()
{
    begin();
    if (m_types.isEmpty())
        return std::nullopt;
    return QList<QStringList>{m_types}; // one selection is one item
}

std::optional<QByteArray> SelectionReading::data(qsizetype item, const QString &type,
                                                 qint64 maxBytes)
{
    if (item != 0)
        return std::nullopt;
    return fetch(type, maxBytes);
}

std::optional<QByteArray> SelectionReading::data(const QString &type, qint64 maxBytes)
{
    return fetch(type, maxBytes);
}

QList<QUrl> SelectionReading::fileURLs(qint64 maxBytes)
{
    if (const auto list = fetch(QStringLiteral("text/uri-list"), maxBytes)) {
        const QList<QUrl> urls = clipboard::SelectionTypes::fileURLsFromUriList(*list);
        if (!urls.isEmpty())
            return urls;
    }
    if (const auto gnome = fetch(QStringLiteral("x-special/gnome-copied-files"), maxBytes))
        return clipboard::SelectionTypes::fileURLsFromGnomeCopiedFiles(*gnome);
    return {};
}

std::optional<QString> SelectionReading::string(qint64 maxBytes)
{
    if (!begin())
        return std::nullopt;
    // The text targets on offer, in order of preference; the charset is matched in any case.
    QStringList candidates;
    for (const QString &preferred : clipboard::SelectionTypes::utf8TextTargets()) {
        for (const QString &type : std::as_const(m_types)) {
            if (type.compare(preferred, Qt::CaseInsensitive) == 0 && !candidates.contains(type))
                candidates.append(type);
        }
    }
    if (m_types.contains(clipboard::SelectionTypes::latin1TextTarget()))
        candidates.append(clipboard::SelectionTypes::latin1TextTarget());

    // The first flavour that decodes cleanly; failing that, the first with its invalid
    // sequences replaced (the snapshot keeps the bytes as they were).
    std::optional<QString> lenient;
    for (const QString &target : std::as_const(candidates)) {
        const auto bytes = fetch(target, maxBytes);
        if (!bytes)
            continue;
        if (auto text = clipboard::SelectionTypes::decodeText(target, *bytes))
            return text;
        if (!lenient)
            lenient = clipboard::SelectionTypes::decodeTextLeniently(target, *bytes);
    }
    return lenient;
}

} // namespace tessaly::x11
