#include "platform/x11/SelectionReading.h"

#include "platform/x11/SelectionTypes.h"

#include <xcb/xfixes.h>

#include <QSet>

#include <algorithm>
#include <cstring>

namespace tessaly::x11 {

namespace {

// More targets than this is not a clipboard but garbage.
constexpr qint64 largestTargetList = 4 * 4096;

uint8_t eventType(const xcb_generic_event_t *event)
{
    return event->response_type & 0x7f;
}

// The length to ask GetProperty for, in 32-bit units, so that one more byte than maxBytes
// shows up as "too long".
uint32_t longsFor(qint64 maxBytes)
{
    return uint32_t(std::clamp<qint64>(maxBytes / 4 + 1, 1, UINT32_MAX / 4));
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

    const Outcome targets = convert(QStringLiteral("TARGETS"), largestTargetList);
    if (!targets.bytes || targets.format != 32 || targets.bytes->size() % 4 != 0)
        return !isInterrupted(); // no list, or not a list of atoms: nothing to read
    QList<xcb_atom_t> offered(targets.bytes->size() / 4);
    std::memcpy(offered.data(), targets.bytes->constData(), size_t(targets.bytes->size()));
    QSet<QString> seen;
    for (const QString &name : m_connection->atomNames(offered)) {
        if (name.isEmpty() || SelectionTypes::isMetaTarget(name) || seen.contains(name))
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

    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, window, m_property, XCB_GET_PROPERTY_TYPE_ANY,
                                                0, longsFor(maxBytes)),
                               nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return done({});
    const qint64 length = xcb_get_property_value_length(reply.get());
    if (reply->type == m_incr) {
        quint32 announced = 0;
        if (reply->format == 32 && length >= 4)
            std::memcpy(&announced, xcb_get_property_value(reply.get()), sizeof announced);
        if (announced > maxBytes) // a lower bound of the size: known to be too long already
            return done({std::nullopt, maxBytes});
        reply.reset();
        xcb_delete_property(c, window, m_property); // asks the owner to start
        xcb_flush(c);
        return done(receiveIncrementally(window, m_property, announced, maxBytes));
    }
    if (length + qint64(reply->bytes_after) > maxBytes)
        return done({std::nullopt, maxBytes});
    Outcome outcome;
    outcome.bytes =
        QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
    outcome.format = reply->format;
    xcb_delete_property(c, window, m_property);
    return done(outcome);
}

SelectionReading::Outcome SelectionReading::receiveIncrementally(xcb_window_t window,
                                                                 xcb_atom_t property,
                                                                 qint64 announced, qint64 maxBytes)
{
    xcb_connection_t *c = m_connection->get();
    QByteArray bytes;
    bytes.reserve(std::min(announced, maxBytes));
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
                             longsFor(maxBytes - bytes.size())),
            nullptr));
        if (!reply)
            return {};
        const qint64 length = xcb_get_property_value_length(reply.get());
        if (length == 0 && reply->bytes_after == 0)
            return {bytes, -1, reply->format}; // the empty piece ends the transfer
        if (bytes.size() + length + qint64(reply->bytes_after) > maxBytes)
            return {std::nullopt, maxBytes}; // abandoned: the window goes, the owner gives up
        bytes.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
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
        const QList<QUrl> urls = SelectionTypes::fileURLsFromUriList(*list);
        if (!urls.isEmpty())
            return urls;
    }
    if (const auto gnome = fetch(QStringLiteral("x-special/gnome-copied-files"), maxBytes))
        return SelectionTypes::fileURLsFromGnomeCopiedFiles(*gnome);
    return {};
}

std::optional<QString> SelectionReading::string(qint64 maxBytes)
{
    if (!begin())
        return std::nullopt;
    // The text targets on offer, in order of preference; the charset is matched in any case.
    QStringList candidates;
    for (const QString &preferred : SelectionTypes::utf8TextTargets()) {
        for (const QString &type : std::as_const(m_types)) {
            if (type.compare(preferred, Qt::CaseInsensitive) == 0 && !candidates.contains(type))
                candidates.append(type);
        }
    }
    if (m_types.contains(SelectionTypes::latin1TextTarget()))
        candidates.append(SelectionTypes::latin1TextTarget());

    // The first flavour that decodes cleanly; failing that, the first with its invalid
    // sequences replaced (the snapshot keeps the bytes as they were).
    std::optional<QString> lenient;
    for (const QString &target : std::as_const(candidates)) {
        const auto bytes = fetch(target, maxBytes);
        if (!bytes)
            continue;
        if (auto text = SelectionTypes::decodeText(target, *bytes))
            return text;
        if (!lenient)
            lenient = SelectionTypes::decodeTextLeniently(target, *bytes);
    }
    return lenient;
}

} // namespace tessaly::x11
