#include "platform/x11/SelectionOwner.h"

#include <xcb/xfixes.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace tessaly::x11 {

namespace {

// A transfer the requestor stopped asking for is dropped after this long.
constexpr auto abandonedTransfer = std::chrono::seconds(10);

} // namespace

SelectionOwner::SelectionOwner(const QByteArray &display, std::shared_ptr<AtomCache> atoms,
                               std::function<void()> onForeignChange)
    : m_connection(std::make_unique<Connection>(display, atoms)),
      m_lookups(std::make_unique<Connection>(display, atoms)),
      m_onForeignChange(std::move(onForeignChange))
{
    if (!m_connection->isValid() || !m_lookups->isValid())
        return;
    xcb_connection_t *c = m_connection->get();
    m_xfixesEvent = m_connection->firstEvent(&xcb_xfixes_id);
    if (!m_xfixesEvent)
        return; // without change notifications there is no change count
    Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version)
        return;

    const QList<xcb_atom_t> known = m_connection->atoms(
        {QStringLiteral("CLIPBOARD"), QStringLiteral("TARGETS"), QStringLiteral("TIMESTAMP"),
         QStringLiteral("INCR"), QStringLiteral("TEXT"), QStringLiteral("UTF8_STRING"),
         QStringLiteral("_NET_WM_PID"), QStringLiteral("WM_CLASS")});
    m_clipboard = known[0];
    m_targets = known[1];
    m_timestamp = known[2];
    m_incr = known[3];
    m_text = known[4];
    m_utf8String = known[5];

    m_window = m_connection->createHiddenWindow(0);
    // Other clipboard tools can tell whose window this is.
    const quint32 pid = quint32(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, known[6], XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    static const char wmClass[] = "tessaly\0Tessaly";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, known[7], XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    xcb_xfixes_select_selection_input(c, m_window, m_clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // Pieces must fit in one request (the maximum is in 4-byte units, with room for the header).
    const qint64 maxRequest = qint64(xcb_get_maximum_request_length(c)) * 4 - 64;
    m_maxPropertyBytes = std::clamp<qint64>(maxRequest, 4096, incrementalChunk);
    // Makes sure the server has taken all of this before anything is counted.
    Reply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!sync || ::pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    m_valid = true;
    m_thread = std::thread([this] { run(); });
}

SelectionOwner::~SelectionOwner()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        wake('s');
        m_thread.join();
    }
    for (int fd : m_wakeFds) {
        if (fd >= 0)
            ::close(fd);
    }
}

void SelectionOwner::wake(char reason)
{
    if (m_wakeFds[1] >= 0) [[maybe_unused]]
        auto written = ::write(m_wakeFds[1], &reason, 1);
}

qint64 SelectionOwner::countOwnChange()
{
    return ++*m_changeCount;
}

void SelectionOwner::own(const Representations &contents, bool alreadyCounted)
{
    QStringList names;
    for (const auto &representation : contents)
        names.append(representation.first);
    const QList<xcb_atom_t> atoms = m_lookups->atoms(names);
    QList<std::pair<xcb_atom_t, QByteArray>> resolved;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        if (atoms[i] != XCB_ATOM_NONE)
            resolved.append({atoms[i], contents[i].second});
    }

    {
        std::lock_guard lock(m_mutex);
        m_contents = resolved;
        m_owning = true;
        ++m_ownership;
        if (!alreadyCounted)
            ++*m_changeCount;
        xcb_set_selection_owner(m_connection->get(), m_window, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_connection->get());
    }
    wake('w'); // a flush may have read events off the socket: let the thread look
}

bool SelectionOwner::isOwner() const
{
    std::lock_guard lock(m_mutex);
    return m_owning;
}

void SelectionOwner::run()
{
    xcb_connection_t *c = m_connection->get();
    for (;;) {
        pollfd descriptors[2] = {{xcb_get_file_descriptor(c), POLLIN, 0},
                                 {m_wakeFds[0], POLLIN, 0}};
        ::poll(descriptors, 2, m_transfers.isEmpty() ? -1 : 1000);
        char drained[16];
        while (::read(m_wakeFds[0], drained, sizeof drained) > 0) {
        }
        if (m_stopping)
            return;
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)})
            handle(event.get());
        if (xcb_connection_has_error(c))
            return; // the display went away
        expireTransfers();
    }
}

void SelectionOwner::handle(xcb_generic_event_t *event)
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto *notify = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event);
        if (notify->selection != m_clipboard)
            return;
        if (notify->owner == m_window) {
            // The program's own write, counted when it was made.
            std::lock_guard lock(m_mutex);
            m_acquiredAt = notify->selection_timestamp;
            return;
        }
        ++*m_changeCount;
        if (m_onForeignChange)
            m_onForeignChange();
        return;
    }
    switch (type) {
    case XCB_SELECTION_REQUEST:
        serve(reinterpret_cast<xcb_selection_request_event_t *>(event));
        break;
    case XCB_SELECTION_CLEAR: {
        const auto *clear = reinterpret_cast<xcb_selection_clear_event_t *>(event);
        if (clear->owner == m_window && clear->selection == m_clipboard)
            selectionLost();
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
        if (notify->state == XCB_PROPERTY_DELETE)
            sendNextPiece(notify->window, notify->atom);
        break;
    }
    default:
        break; // errors of requests to requestors that went away, and the like
    }
}

void SelectionOwner::selectionLost()
{
    // The program may have taken the selection again since this notice was sent: only the
    // server knows who owns it now.
    quint64 ownership = 0;
    {
        std::lock_guard lock(m_mutex);
        ownership = m_ownership;
    }
    xcb_connection_t *c = m_connection->get();
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboard), nullptr));
    std::lock_guard lock(m_mutex);
    if (ownership == m_ownership && (!owner || owner->owner != m_window)) {
        m_owning = false;
        m_contents.clear(); // what was copied here is no longer the clipboard's
    }
}

void SelectionOwner::serve(const xcb_selection_request_event_t *request)
{
    xcb_connection_t *c = m_connection->get();
    const xcb_atom_t property =
        request->property != XCB_ATOM_NONE ? request->property : request->target;
    bool owning = false;
    QList<std::pair<xcb_atom_t, QByteArray>> contents;
    xcb_timestamp_t acquiredAt = XCB_CURRENT_TIME;
    {
        std::lock_guard lock(m_mutex);
        owning = m_owning;
        contents = m_contents;
        acquiredAt = m_acquiredAt;
    }
    // A request stamped before the program took the selection asks for older contents.
    const bool tooOld = request->time != XCB_CURRENT_TIME && acquiredAt != XCB_CURRENT_TIME &&
                        request->time < acquiredAt;

    bool answered = false;
    if (owning && !tooOld && request->selection == m_clipboard && request->owner == m_window) {
        if (request->target == m_targets) {
            QList<xcb_atom_t> targets = {m_targets, m_timestamp};
            for (const auto &representation : std::as_const(contents))
                targets.append(representation.first);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                XCB_ATOM_ATOM, 32, uint32_t(targets.size()), targets.constData());
            answered = true;
        } else if (request->target == m_timestamp) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                XCB_ATOM_INTEGER, 32, 1, &acquiredAt);
            answered = true;
        } else {
            const auto found =
                std::find_if(contents.cbegin(), contents.cend(),
                             [&](const auto &entry) { return entry.first == request->target; });
            if (found != contents.cend()) {
                const xcb_atom_t type = found->first == m_text ? m_utf8String : found->first;
                const QByteArray &data = found->second;
                if (data.size() > m_maxPropertyBytes) {
                    // Announce the size, then send a piece each time the requestor deletes the
                    // property.
                    const quint32 size = quint32(std::min<qint64>(data.size(), UINT32_MAX));
                    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                    xcb_change_window_attributes(c, request->requestor, XCB_CW_EVENT_MASK, &mask);
                    xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                        m_incr, 32, 1, &size);
                    m_transfers.insert({request->requestor, property},
                                       Transfer{type, data, 0, Clock::now()});
                } else {
                    xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                        type, 8, uint32_t(data.size()), data.constData());
                }
                answered = true;
            }
        }
    }

    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request->time;
    notify.requestor = request->requestor;
    notify.selection = request->selection;
    notify.target = request->target;
    notify.property = answered ? property : xcb_atom_t(XCB_ATOM_NONE);
    xcb_send_event(c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&notify));
    xcb_flush(c);
}

void SelectionOwner::sendNextPiece(xcb_window_t requestor, xcb_atom_t property)
{
    const auto found = m_transfers.find({requestor, property});
    if (found == m_transfers.end())
        return;
    Transfer &transfer = *found;
    const qint64 length = std::min(m_maxPropertyBytes, transfer.data.size() - transfer.offset);
    xcb_connection_t *c = m_connection->get();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, transfer.type, 8,
                        uint32_t(length), transfer.data.constData() + transfer.offset);
    xcb_flush(c);
    if (length == 0) {
        m_transfers.erase(found); // the empty piece ends it
        return;
    }
    transfer.offset += length;
    transfer.lastActivity = Clock::now();
}

void SelectionOwner::expireTransfers()
{
    const Clock::time_point now = Clock::now();
    for (auto it = m_transfers.begin(); it != m_transfers.end();) {
        if (now - it->lastActivity > abandonedTransfer)
            it = m_transfers.erase(it);
        else
            ++it;
    }
}

} // namespace tessaly::x11
