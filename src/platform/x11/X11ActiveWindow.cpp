#include "platform/x11/X11ActiveWindow.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace tessaly {

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

X11ActiveWindow::X11ActiveWindow() : m_connection(xcb_connect(nullptr, nullptr))
{
    if (xcb_connection_has_error(m_connection))
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_activeWindowAtom = internAtom(m_connection, "_NET_ACTIVE_WINDOW");
    m_pidAtom = internAtom(m_connection, "_NET_WM_PID");
}

X11ActiveWindow::~X11ActiveWindow()
{
    xcb_disconnect(m_connection);
}

std::optional<quint32> X11ActiveWindow::cardinalProperty(quint32 window, quint32 property)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(m_connection, 0, window, property, XCB_ATOM_ANY, 0, 1);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection, cookie, nullptr);
    std::optional<quint32> value;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const quint32 *>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

std::optional<qint64> X11ActiveWindow::processId()
{
    if (xcb_connection_has_error(m_connection) || !m_activeWindowAtom || !m_pidAtom)
        return std::nullopt;
    const auto window = cardinalProperty(m_root, m_activeWindowAtom);
    if (!window || *window == 0)
        return std::nullopt;
    const auto pid = cardinalProperty(*window, m_pidAtom);
    if (!pid || *pid == 0)
        return std::nullopt;
    return qint64(*pid);
}

} // namespace tessaly
