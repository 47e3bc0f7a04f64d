#include "platform/x11/X11Workspace.h"

#include "platform/x11/XcbConnection.h"
#include "platform/xdg/DesktopEntries.h"

#include <xcb/res.h>

#include <QSet>

#include <unistd.h>

namespace tessaly {

namespace {

// Windows nest and point at each other; a bound keeps a malicious or broken chain finite.
constexpr int longestChain = 16;

} // namespace

X11Workspace::X11Workspace(const QString &ownID, const QString &ownName, DesktopEntries *entries,
                           const QByteArray &display)
    : m_ownID(ownID), m_ownName(ownName), m_entries(entries ? entries : &DesktopEntries::shared()),
      m_connection(std::make_unique<x11::Connection>(display))
{}

X11Workspace::~X11Workspace() = default;

bool X11Workspace::isValid() const
{
    return m_connection->isValid();
}

quint32 X11Workspace::activeWindow()
{
    const xcb_atom_t active = m_connection->atom(QStringLiteral("_NET_ACTIVE_WINDOW"));
    if (const auto window = m_connection->cardinalProperty(m_connection->root(), active);
        window && *window != XCB_WINDOW_NONE)
        return *window;

    // No window manager keeps _NET_ACTIVE_WINDOW, or it is between two windows: the focus.
    xcb_connection_t *c = m_connection->get();
    x11::Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == m_connection->root())
        return XCB_WINDOW_NONE;
    return focus->focus;
}

// The window itself when it is an application's window (it has WM_CLASS), else the nearest
// ancestor that is: a focused child of a window counts as that window.
quint32 X11Workspace::clientWindow(quint32 window)
{
    xcb_connection_t *c = m_connection->get();
    quint32 candidate = window;
    for (int depth = 0; depth < longestChain && candidate != XCB_WINDOW_NONE; ++depth) {
        if (m_connection->property(candidate, XCB_ATOM_WM_CLASS, 4096))
            return candidate;
        x11::Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, candidate), nullptr));
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        candidate = tree->parent;
    }
    return window; // no ancestor says whose it is: the window itself
}

// From a dialog to the window it belongs to.
quint32 X11Workspace::mainWindow(quint32 window)
{
    QSet<quint32> seen{window};
    for (int depth = 0; depth < longestChain; ++depth) {
        const auto owner = m_connection->cardinalProperty(window, XCB_ATOM_WM_TRANSIENT_FOR);
        if (!owner || *owner == XCB_WINDOW_NONE || *owner == m_connection->root() ||
            seen.contains(*owner))
            break;
        // A transient-for pointing at a window that does not exist is ignored.
        xcb_connection_t *c = m_connection->get();
        x11::Reply<xcb_get_window_attributes_reply_t> exists(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, *owner), nullptr));
        if (!exists)
            break;
        seen.insert(*owner);
        window = *owner;
    }
    return window;
}

qint64 X11Workspace::processID(quint32 window)
{
    const xcb_atom_t pidAtom = m_connection->atom(QStringLiteral("_NET_WM_PID"));
    if (const auto pid = m_connection->cardinalProperty(window, pidAtom); pid && *pid > 0)
        return *pid;

    // Ask the server which local process made the window's client connection.
    xcb_connection_t *c = m_connection->get();
    xcb_res_client_id_spec_t whichClient{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    x11::Reply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &whichClient), nullptr));
    if (!reply)
        return 0;
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem;
         xcb_res_client_id_value_next(&ids)) {
        // What the server answers for (client and kind of id), and the id's length in bytes.
        const auto &[answered, length] = *ids.data;
        if (answered.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID && length >= sizeof(uint32_t))
            return *xcb_res_client_id_value_value(ids.data);
    }
    return 0;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication()
{
    if (!isValid())
        return std::nullopt;
    const quint32 active = activeWindow();
    // Only a window the user can see is in front: window managers leave _NET_ACTIVE_WINDOW
    // naming a window after it was hidden when nothing else takes the focus.
    if (active == XCB_WINDOW_NONE || !isViewable(active))
        return std::nullopt;
    const quint32 focused = clientWindow(active);
    const quint32 window = mainWindow(focused);

    RunningApplication application;
    application.windowID = focused;
    application.processID = processID(window);
    if (application.processID == 0 && window != focused)
        application.processID = processID(focused);
    if (application.processID == qint64(::getpid())) {
        // One of this program's windows counts only while it really has the keyboard.
        if (focusedClientWindow() != focused)
            return std::nullopt;
        application.bundleID = m_ownID;
        application.localizedName = m_ownName;
        return application;
    }

    QString instance;
    QString windowClass;
    if (const auto wmClass = m_connection->property(window, XCB_ATOM_WM_CLASS, 4096)) {
        const QList<QByteArray> parts = wmClass->bytes.split('\0');
        instance = QString::fromLatin1(parts.value(0));
        windowClass = QString::fromLatin1(parts.value(1));
    }

    std::optional<DesktopEntry> entry;
    QString id;
    const auto gtkID = m_connection->stringProperty(
        window, m_connection->atom(QStringLiteral("_GTK_APPLICATION_ID")));
    const auto kdeFile = m_connection->stringProperty(
        window, m_connection->atom(QStringLiteral("_KDE_NET_WM_DESKTOP_FILE")));
    if (gtkID && !gtkID->isEmpty()) {
        id = *gtkID;
        entry = m_entries->byId(id);
    } else if (kdeFile && !kdeFile->isEmpty()) {
        id = *kdeFile;
        if (id.endsWith(QStringLiteral(".desktop")))
            id.chop(8);
        entry = m_entries->byId(id);
    } else {
        entry = m_entries->byStartupWMClass(windowClass);
        if (!entry)
            entry = m_entries->byFileName(windowClass);
        if (!entry)
            entry = m_entries->byFileName(instance);
        id = entry ? entry->id : windowClass;
    }

    if (!id.isEmpty())
        application.bundleID = id;
    if (entry && !entry->name.isEmpty())
        application.localizedName = entry->name;
    else if (!windowClass.isEmpty())
        application.localizedName = windowClass;
    application.terminalEmulator =
        entry && entry->categories.contains(QStringLiteral("TerminalEmulator"));
    return application;
}

bool X11Workspace::isViewable(quint32 window)
{
    xcb_connection_t *c = m_connection->get();
    x11::Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool X11Workspace::windowExists(quint32 window)
{
    if (window == XCB_WINDOW_NONE)
        return false;
    xcb_connection_t *c = m_connection->get();
    x11::Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes != nullptr;
}

quint32 X11Workspace::focusedClientWindow()
{
    xcb_connection_t *c = m_connection->get();
    x11::Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return XCB_WINDOW_NONE;
    return clientWindow(focus->focus);
}

bool X11Workspace::activate(const RunningApplication &application)
{
    if (!isValid())
        return false;
    const quint32 window = clientWindow(application.windowID);
    if (!windowExists(window))
        return false;

    // Ask the window manager, as a pager would (source indication 2), so that focus-stealing
    // prevention lets the request through.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = m_connection->atom(QStringLiteral("_NET_ACTIVE_WINDOW"));
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    event.data.data32[2] = XCB_WINDOW_NONE;
    xcb_connection_t *c = m_connection->get();
    xcb_send_event(c, 0, m_connection->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));

    // Without a window manager nobody answers that message: give the window the focus directly.
    const xcb_atom_t check = m_connection->atom(QStringLiteral("_NET_SUPPORTING_WM_CHECK"));
    if (!m_connection->cardinalProperty(m_connection->root(), check))
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(c);
    return true;
}

bool X11Workspace::isActive(const RunningApplication &application)
{
    if (!isValid() || application.windowID == XCB_WINDOW_NONE)
        return false;
    const quint32 window = clientWindow(application.windowID);
    return window != XCB_WINDOW_NONE && focusedClientWindow() == window;
}

bool X11Workspace::isTerminated(const RunningApplication &application)
{
    if (!isValid() || application.windowID == XCB_WINDOW_NONE)
        return false;
    return !windowExists(application.windowID);
}

} // namespace tessaly
