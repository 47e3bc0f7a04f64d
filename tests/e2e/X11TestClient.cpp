#include "e2e/X11TestClient.h"

#include "support/TestSupport.h"

#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstring>
#include <vector>

namespace tessaly::test {

using x11::Reply;

X11TestClient::X11TestClient()
{
    m_connection = std::make_unique<x11::Connection>();
    if (!m_connection->isValid()) {
        m_connection.reset();
        return;
    }
    m_root = m_connection->root();
    if (x11::X11Keymap::watchKeyboardChanges(m_connection->get()))
        m_keymap = x11::X11Keymap::read(m_connection->get());
}

X11TestClient::~X11TestClient() = default;

void X11TestClient::refreshKeymap()
{
    if (auto keymap = x11::X11Keymap::read(m_connection->get()))
        m_keymap = std::move(keymap);
}

bool X11TestClient::grabKey(xcb_keycode_t keyCode, uint16_t modifiers)
{
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(
        connection(), 0, m_root, modifiers, keyCode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const Reply<xcb_generic_error_t> error(xcb_request_check(connection(), cookie));
    return !error;
}

void X11TestClient::ungrabKey(xcb_keycode_t keyCode, uint16_t modifiers)
{
    const Reply<xcb_generic_error_t> error(xcb_request_check(
        connection(), xcb_ungrab_key_checked(connection(), keyCode, m_root, modifiers)));
}

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

bool X11TestClient::showWindowWithoutFocus(int x, int y, int width, int height)
{
    xcb_connection_t *c = connection();
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {1 /* override-redirect */, XCB_EVENT_MASK_BUTTON_PRESS};
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, m_root, int16_t(x), int16_t(y),
                      uint16_t(width), uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(c, window);
    xcb_flush(c);
    return waitUntil([&] {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    });
}

bool X11TestClient::showFocusedWindow()
{
    xcb_connection_t *c = connection();
    m_window = xcb_generate_id(c);
    const uint32_t values[] = {XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_FOCUS_CHANGE};
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_root, 100, 100, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                      values);
    // A window as the window manager expects one: named, classed, taking input.
    const char title[] = "Tessaly test target";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof title - 1, title);
    const char wmClass[] = "target\0TessalyTest";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    const uint32_t hints[9] = {1 /* InputHint */, 1 /* input */};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, 9, hints);
    xcb_map_window(c, m_window);
    xcb_flush(c);

    // Ask for it as a pager would (the window manager decides the focus), and insist until the
    // server reports it.
    const xcb_atom_t activeWindow = atom(c, "_NET_ACTIVE_WINDOW");
    return waitUntil(
        [&] {
            xcb_client_message_event_t message{};
            message.response_type = XCB_CLIENT_MESSAGE;
            message.format = 32;
            message.window = m_window;
            message.type = activeWindow;
            message.data.data32[0] = 2; // from a pager
            message.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(c, 0, m_root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                               XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                           reinterpret_cast<const char *>(&message));
            const Reply<xcb_get_input_focus_reply_t> focus(
                xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            return focus && focus->focus == m_window;
        },
        10000);
}

const QList<X11TestClient::KeyPress> &X11TestClient::keyPresses()
{
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection())}) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event.get());
            if (key->event == m_window)
                m_presses.append({key->detail, key->state});
        }
    }
    return m_presses;
}

int X11TestClient::pressesOf(xcb_keycode_t keyCode, uint16_t modifiers)
{
    int count = 0;
    for (const KeyPress &press : keyPresses()) {
        if (press.keyCode == keyCode && press.state == modifiers)
            ++count;
    }
    return count;
}

uint16_t X11TestClient::lockedModifiers() const
{
    const Reply<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
        connection(), xcb_xkb_get_state(connection(), XCB_XKB_ID_USE_CORE_KBD), nullptr));
    return state ? state->lockedMods : 0;
}

void X11TestClient::lockGroup(uint8_t group)
{
    const Reply<xcb_generic_error_t> error(xcb_request_check(
        connection(), xcb_xkb_latch_lock_state_checked(connection(), XCB_XKB_ID_USE_CORE_KBD, 0, 0,
                                                       1, group, 0, 0, 0)));
}

bool X11TestClient::moveModifier(int from, int to)
{
    xcb_connection_t *c = connection();
    const Reply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!mapping)
        return false;
    const int perModifier = mapping->keycodes_per_modifier;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    std::vector<xcb_keycode_t> moved(codes, codes + 8 * perModifier);
    for (int i = 0; i < perModifier; ++i) {
        moved[to * perModifier + i] = codes[from * perModifier + i];
        moved[from * perModifier + i] = 0;
    }
    const Reply<xcb_set_modifier_mapping_reply_t> reply(xcb_set_modifier_mapping_reply(
        c, xcb_set_modifier_mapping(c, perModifier, moved.data()), nullptr));
    return reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
}

} // namespace tessaly::test
