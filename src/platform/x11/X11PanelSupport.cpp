#include "platform/x11/X11PanelSupport.h"

#include "hotkey/KeyboardLayout.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbConnection.h"

#include <QSocketNotifier>

#include <xcb/xinput.h>

namespace tessaly::x11 {

namespace {

// Whether two windows were made by the same client: X gives every window the resource base of
// the client that made it.
bool isSameClient(xcb_connection_t *c, xcb_window_t window, xcb_window_t other)
{
    if (window == XCB_WINDOW_NONE || other == XCB_WINDOW_NONE ||
        window == XCB_INPUT_FOCUS_POINTER_ROOT)
        return false;
    const uint32_t clientBits = ~xcb_get_setup(c)->resource_id_mask;
    return (window & clientBits) == (other & clientBits);
}

// The buttons whose press counts as a click: left and right (the wheel's steps are buttons
// 4 to 7 and the middle button pastes the primary selection).
bool isClickButton(uint32_t button)
{
    return button == 1 || button == 3;
}

// How deep the windows under the pointer are followed (top-level, frame, client, children).
constexpr int deepestWindowLevel = 16;

} // namespace

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

X11PanelWindowSystem::~X11PanelWindowSystem()
{
    // The notifier goes before the connection whose descriptor it watches.
    m_clickNotifier.reset();
}

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

bool X11PanelWindowSystem::isFocusOnOwnWindow(quintptr ownWindowId) const
{
    if (!m_connection->isValid())
        return false;
    xcb_connection_t *c = m_connection->get();
    Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return focus && isSameClient(c, focus->focus, xcb_window_t(ownWindowId));
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

void X11PanelWindowSystem::watchClicksElsewhere(quintptr ownWindowId, std::function<void()> onClick)
{
    m_ownWindow = ownWindowId;
    m_onClick = std::move(onClick);
    if (!openClickConnection())
        return;
    if (!m_watching)
        selectClicks(true);
    m_watching = true;
}

void X11PanelWindowSystem::stopWatchingClicks()
{
    if (m_watching)
        selectClicks(false);
    m_watching = false;
    m_onClick = nullptr;
}

bool X11PanelWindowSystem::openClickConnection()
{
    if (m_clicksTried)
        return m_clickNotifier != nullptr;
    m_clicksTried = true;
    auto connection =
        std::make_unique<Connection>(m_connection->displayName(), m_connection->atomCache());
    if (!connection->isValid())
        return false;
    xcb_connection_t *c = connection->get();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present) {
        qWarning("The X server has no XInput extension: clicks in other windows that do not take "
                 "the keyboard leave the panel open");
        return false;
    }
    // From XInput 2.1 on, raw events reach the root window's clients during grabs too.
    Reply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 1)) {
        qWarning("The X server's XInput is older than 2.1: clicks in other windows that do not "
                 "take the keyboard leave the panel open");
        return false;
    }
    m_inputOpcode = extension->major_opcode;
    m_clicks = std::move(connection);
    m_clickNotifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(m_clickNotifier.get(), &QSocketNotifier::activated, m_clickNotifier.get(),
                     [this] { readClicks(); });
    return true;
}

void X11PanelWindowSystem::selectClicks(bool on)
{
    if (!m_clicks || !m_clicks->isValid())
        return;
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = on ? XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS : 0;
    xcb_connection_t *c = m_clicks->get();
    xcb_input_xi_select_events(c, m_clicks->root(), 1, &mask.head);
    xcb_flush(c);
}

void X11PanelWindowSystem::readClicks()
{
    xcb_connection_t *c = m_clicks->get();
    bool clicked = false;
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
        if ((event->response_type & 0x7F) != XCB_GE_GENERIC)
            continue;
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event.get());
        if (generic->extension != m_inputOpcode ||
            generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
            continue;
        const auto *press =
            reinterpret_cast<const xcb_input_raw_button_press_event_t *>(event.get());
        if (isClickButton(press->detail))
            clicked = true;
    }
    if (xcb_connection_has_error(c)) {
        // A broken connection reads as always readable.
        m_clickNotifier->setEnabled(false);
        return;
    }
    if (!clicked || !m_watching || isPointerOverOwnWindow())
        return;
    // The callback may stop the watch.
    if (const auto onClick = m_onClick)
        onClick();
}

// Whether the window under the pointer, or a window it lies in, was made by the same client as
// the program's own window.
bool X11PanelWindowSystem::isPointerOverOwnWindow()
{
    if (m_ownWindow == 0)
        return false;
    xcb_connection_t *c = m_clicks->get();
    xcb_window_t window = m_clicks->root();
    for (int level = 0; level < deepestWindowLevel; ++level) {
        Reply<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr));
        if (!pointer || !pointer->same_screen || pointer->child == XCB_WINDOW_NONE)
            return false;
        window = pointer->child;
        if (isSameClient(c, window, xcb_window_t(m_ownWindow)))
            return true;
    }
    return false;
}

} // namespace tessaly::x11
