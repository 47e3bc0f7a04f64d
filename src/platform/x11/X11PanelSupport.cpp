#include "platform/x11/X11PanelSupport.h"

#include "hotkey/KeyboardLayout.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbConnection.h"

namespace tessaly::x11 {

X11KeyTranslator::X11KeyTranslator(const QByteArray &display)
    : m_connection(std::make_unique<Connection>(display))
{
    if (m_connection->isValid())
        X11Keymap::watchKeyboardChanges(m_connection->get());
    refresh();
}

X11KeyTranslator::~X11KeyTranslator() = default;

void X11KeyTranslator::refresh()
{
    if (!m_connection->isValid())
        return;
    xcb_connection_t *c = m_connection->get();
    if (auto keymap = X11Keymap::read(c))
        m_keymap = std::move(keymap);
    // This connection asks for keyboard changes only to read keymaps; nobody waits for them.
    while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)})
        ;
}

std::optional<PanelKey> X11KeyTranslator::translate(quint32 nativeScanCode,
                                                    quint32 nativeModifiers) const
{
    if (!m_keymap || nativeScanCode > 255)
        return std::nullopt;
    const auto position = m_keymap->keyCode(xcb_keycode_t(nativeScanCode));
    if (!position)
        return std::nullopt;
    PanelKey key;
    key.keyCode = *position;
    key.modifiers = m_keymap->modifierFlags(uint16_t(nativeModifiers));
    key.characters = KeyboardLayout::character(*position).value_or(QString()).toLower();
    return key;
}

X11PanelWindowSystem::X11PanelWindowSystem(const QByteArray &display)
    : m_connection(std::make_unique<Connection>(display))
{}

X11PanelWindowSystem::~X11PanelWindowSystem() = default;

bool X11PanelWindowSystem::hasCompositor() const
{
    if (!m_connection->isValid())
        return false;
    xcb_connection_t *c = m_connection->get();
    const xcb_atom_t selection = m_connection->atom(QStringLiteral("_NET_WM_CM_S0"));
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void X11PanelWindowSystem::preparePanelWindow(quintptr windowId)
{
    if (!m_connection->isValid())
        return;
    xcb_connection_t *c = m_connection->get();
    const auto window = xcb_window_t(windowId);
    const xcb_atom_t atomType = XCB_ATOM_ATOM;

    const QList<xcb_atom_t> states = m_connection->atoms(
        {QStringLiteral("_NET_WM_STATE_ABOVE"), QStringLiteral("_NET_WM_STATE_STICKY"),
         QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"), QStringLiteral("_NET_WM_STATE_SKIP_PAGER")});
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window,
                        m_connection->atom(QStringLiteral("_NET_WM_STATE")), atomType, 32,
                        uint32_t(states.size()), states.constData());

    // Every workspace.
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window,
                        m_connection->atom(QStringLiteral("_NET_WM_DESKTOP")), XCB_ATOM_CARDINAL,
                        32, 1, &allDesktops);
    // The window system reads and merges these states when it maps the window, on a
    // connection of its own: they must have reached the server first.
    Reply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

bool X11PanelWindowSystem::isPointerButtonDown() const
{
    if (!m_connection->isValid())
        return false;
    xcb_connection_t *c = m_connection->get();
    Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_connection->root()), nullptr));
    constexpr uint16_t buttons = XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 |
                                 XCB_KEY_BUT_MASK_BUTTON_3 | XCB_KEY_BUT_MASK_BUTTON_4 |
                                 XCB_KEY_BUT_MASK_BUTTON_5;
    return pointer && (pointer->mask & buttons);
}

void X11PanelWindowSystem::activate(quintptr windowId)
{
    if (!m_connection->isValid())
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(windowId);
    event.type = m_connection->atom(QStringLiteral("_NET_ACTIVE_WINDOW"));
    event.data.data32[0] = 2; // as a pager: not subject to focus-stealing prevention
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection->get(), 0, m_connection->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(m_connection->get());
}

} // namespace tessaly::x11
