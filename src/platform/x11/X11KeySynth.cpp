#include "platform/x11/X11KeySynth.h"

#include "hotkey/HotKeyCombo.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbConnection.h"

#include <xcb/xtest.h>

#include <QList>

namespace tessaly::x11 {

namespace {

// The stored positions of the modifier keys: command (Ctrl), shift, option (Alt), control
// (Super).
constexpr quint16 commandKey = 55;
constexpr quint16 shiftKey = 56;
constexpr quint16 optionKey = 58;
constexpr quint16 controlKey = 59;

void fakeKey(xcb_connection_t *connection, uint8_t type, xcb_keycode_t key)
{
    xcb_test_fake_input(connection, type, key, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
}

bool isPressed(const xcb_query_keymap_reply_t &keys, xcb_keycode_t key)
{
    return keys.keys[key / 8] & (1u << (key % 8));
}

} // namespace

X11KeySynth::X11KeySynth(const QByteArray &display)
    : m_connection(std::make_unique<Connection>(display))
{
    if (!m_connection->isValid())
        return;
    xcb_connection_t *c = m_connection->get();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_test_id);
    m_hasXTest = extension && extension->present;
    // Keymap reads need XKB set up on this connection.
    X11Keymap::watchKeyboardChanges(c);
}

X11KeySynth::~X11KeySynth() = default;

bool X11KeySynth::isAvailable() const
{
    return m_connection->isValid() && m_hasXTest;
}

bool X11KeySynth::sendKeystroke(quint16 keyCode, quint64 modifiers)
{
    std::lock_guard lock(m_mutex);
    if (!isAvailable())
        return false;
    xcb_connection_t *c = m_connection->get();
    const auto keymap = X11Keymap::read(c);
    // This connection asks for keyboard changes only to read keymaps; nobody waits for them.
    while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)})
        ;
    if (!keymap)
        return false;
    const auto key = keymap->x11KeyCode(keyCode);
    if (!key)
        return false;

    Reply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    Reply<xcb_query_keymap_reply_t> pressed(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    const xcb_keycode_t *codes =
        mapping ? xcb_get_modifier_mapping_keycodes(mapping.get()) : nullptr;
    const int perModifier = mapping ? mapping->keycodes_per_modifier : 0;
    // The first key that sets a real modifier: where the keyboard has Ctrl, whatever its
    // physical position (Ctrl and Caps Lock swapped, say).
    const auto keyOfModifier = [&](uint16_t mask) -> std::optional<xcb_keycode_t> {
        for (int modifier = 0; codes && modifier < 8; ++modifier) {
            if (!(mask & (1u << modifier)))
                continue;
            for (int i = 0; i < perModifier; ++i) {
                if (const xcb_keycode_t held = codes[modifier * perModifier + i])
                    return held;
            }
        }
        return std::nullopt;
    };

    QList<xcb_keycode_t> wanted;
    const struct
    {
        quint64 flag;
        uint16_t mask;
        quint16 position;
    } modifierKeys[] = {
        {HotKeyCombo::commandFlag, XCB_MOD_MASK_CONTROL, commandKey},
        {HotKeyCombo::shiftFlag, XCB_MOD_MASK_SHIFT, shiftKey},
        {HotKeyCombo::optionFlag, keymap->altMask(), optionKey},
        {HotKeyCombo::controlFlag, keymap->superMask(), controlKey},
    };
    for (const auto &modifier : modifierKeys) {
        if (!(modifiers & modifier.flag))
            continue;
        auto modifierKey = modifier.mask ? keyOfModifier(modifier.mask) : std::nullopt;
        if (!modifierKey)
            modifierKey = keymap->x11KeyCode(modifier.position);
        if (!modifierKey)
            return false;
        wanted.append(*modifierKey);
    }

    // Modifier keys the user still holds (Shift after Shift+Return, say) would join the
    // keystroke: release them first. Lock keys (CapsLock, NumLock) are states, not held keys.
    if (codes && pressed) {
        for (int modifier = 0; modifier < 8; ++modifier) {
            if (modifier == XCB_MAP_INDEX_LOCK || (1u << modifier) == keymap->numLockMask())
                continue;
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t held = codes[modifier * perModifier + i];
                if (held != 0 && isPressed(*pressed, held))
                    fakeKey(c, XCB_KEY_RELEASE, held);
            }
        }
    }

    for (const xcb_keycode_t modifierKey : std::as_const(wanted))
        fakeKey(c, XCB_KEY_PRESS, modifierKey);
    fakeKey(c, XCB_KEY_PRESS, *key);
    fakeKey(c, XCB_KEY_RELEASE, *key);
    for (auto it = wanted.crbegin(); it != wanted.crend(); ++it)
        fakeKey(c, XCB_KEY_RELEASE, *it);

    // One round trip: the server has handled every request above when the answer comes.
    Reply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return sync != nullptr;
}

} // namespace tessaly::x11
