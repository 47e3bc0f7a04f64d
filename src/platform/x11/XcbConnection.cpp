#include "platform/x11/XcbConnection.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

namespace tessaly::x11 {

std::optional<xcb_atom_t> AtomCache::find(const QString &name) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_atoms.constFind(name);
    if (found == m_atoms.cend())
        return std::nullopt;
    return *found;
}

std::optional<QString> AtomCache::findName(xcb_atom_t atom) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_names.constFind(atom);
    if (found == m_names.cend())
        return std::nullopt;
    return *found;
}

void AtomCache::insert(const QString &name, xcb_atom_t atom)
{
    std::lock_guard lock(m_mutex);
    m_atoms.insert(name, atom);
    m_names.insert(atom, name);
}

Connection::Connection(const QByteArray &display, std::shared_ptr<AtomCache> atoms)
    : m_displayName(display), m_atoms(std::move(atoms))
{
    int screenNumber = 0;
    m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (screens.rem)
        m_root = screens.data->root;
}

Connection::~Connection()
{
    if (m_connection)
        xcb_disconnect(m_connection); // also destroys the windows this connection made
}

xcb_atom_t Connection::atom(const QString &name)
{
    return atoms({name}).value(0, XCB_ATOM_NONE);
}

QList<xcb_atom_t> Connection::atoms(const QStringList &names)
{
    QList<xcb_atom_t> result(names.size(), XCB_ATOM_NONE);
    QList<std::pair<qsizetype, xcb_intern_atom_cookie_t>> pending;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (const auto known = m_atoms->find(names[i])) {
            result[i] = *known;
            continue;
        }
        const QByteArray latin = names[i].toUtf8();
        pending.append(
            {i, xcb_intern_atom(m_connection, 0, uint16_t(latin.size()), latin.constData())});
    }
    for (const auto &[index, cookie] : pending) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
        if (!reply)
            continue;
        result[index] = reply->atom;
        m_atoms->insert(names[index], reply->atom);
    }
    return result;
}

QStringList Connection::atomNames(const QList<xcb_atom_t> &atoms)
{
    QStringList result(atoms.size());
    QList<std::pair<qsizetype, xcb_get_atom_name_cookie_t>> pending;
    for (qsizetype i = 0; i < atoms.size(); ++i) {
        if (atoms[i] == XCB_ATOM_NONE)
            continue;
        if (const auto known = m_atoms->findName(atoms[i])) {
            result[i] = *known;
            continue;
        }
        pending.append({i, xcb_get_atom_name(m_connection, atoms[i])});
    }
    for (const auto &[index, cookie] : pending) {
        Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(m_connection, cookie, nullptr));
        if (!reply)
            continue; // not an atom at all: garbage from the other side
        const QString name = QString::fromUtf8(xcb_get_atom_name_name(reply.get()),
                                               xcb_get_atom_name_name_length(reply.get()));
        result[index] = name;
        m_atoms->insert(name, atoms[index]);
    }
    return result;
}

std::optional<Connection::Property> Connection::property(xcb_window_t window, xcb_atom_t atom,
                                                         qint64 maxBytes)
{
    const uint32_t longs = uint32_t(std::min<qint64>(maxBytes / 4 + 1, UINT32_MAX / 4));
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, longs),
        nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE || reply->bytes_after > 0)
        return std::nullopt;
    Property result;
    result.type = reply->type;
    result.format = reply->format;
    const int length = xcb_get_property_value_length(reply.get());
    if (length > maxBytes)
        return std::nullopt;
    result.bytes =
        QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
    return result;
}

std::optional<QString> Connection::stringProperty(xcb_window_t window, xcb_atom_t atom)
{
    const auto value = property(window, atom, 64 * 1024);
    if (!value || value->format != 8)
        return std::nullopt;
    QByteArray bytes = value->bytes;
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    if (value->type == XCB_ATOM_STRING)
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(bytes);
}

std::optional<quint32> Connection::cardinalProperty(xcb_window_t window, xcb_atom_t atom)
{
    const auto value = property(window, atom, 64);
    if (!value || value->format != 32 || value->bytes.size() < 4)
        return std::nullopt;
    quint32 number = 0;
    std::memcpy(&number, value->bytes.constData(), sizeof number);
    return number;
}

xcb_window_t Connection::createHiddenWindow(uint32_t eventMask)
{
    const xcb_window_t window = xcb_generate_id(m_connection);
    const uint32_t values[] = {1, eventMask}; // override-redirect: no window manager involved
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    return window;
}

uint8_t Connection::firstEvent(xcb_extension_t *extension)
{
    const xcb_query_extension_reply_t *reply = xcb_get_extension_data(m_connection, extension);
    return reply && reply->present ? reply->first_event : 0;
}

Reply<xcb_generic_event_t> Connection::waitForEvent(Clock::time_point deadline)
{
    for (;;) {
        if (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            return Reply<xcb_generic_event_t>(event);
        if (xcb_connection_has_error(m_connection))
            return nullptr;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return nullptr;
        pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&descriptor, 1, int(std::min<qint64>(left.count() + 1, 60'000)));
    }
}

} // namespace tessaly::x11
