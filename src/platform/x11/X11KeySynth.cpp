#include "platform/x11/X11KeySynth.h"

#include "hotkey/HotKeyCombo.h"
#include "hotkey/KeyPosition.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/XcbConnection.h"

#include <xcb/xtest.h>

#include <QList>

namespace tessaly::x11 {

namespace {

void fakeKey(xcb_connection_t *connection, uint8_t type, xcb_keycode_t key)
{
    xcb_test_fake_input(connection, type, key, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
}

bool isPressed(const xcb_query_keymap_reply_t &keys, xcb_keycode_t key)
{
    return keys.keys[key / 8] & (1u << (key % 8));
}

// A keystroke resolved against the live keymap: its key, the modifier keys held around it, and
// the modifier keys the user still holds, to be released first (they would join the keystroke:
// Shift after Shift+Return, say).
struct ResolvedKeystroke
{
    xcb_keycode_t key = 0;
    QList<xcb_keycode_t> modifierKeys;
    QList<xcb_keycode_t> heldModifierKeys;
};

// Absent when the key, or one of the modifiers, has no key on this keymap.
std::optional<ResolvedKeystroke> resolve(xcb_connection_t *c, const X11Keymap &keymap,
                                         quint16 keyCode, quint64 modifiers)
{
    const auto key = keymap.x11KeyCode(keyCode);
    if (!key)
        return std::nullopt;
    ResolvedKeystroke keystroke;
    keystroke.key = *key;

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

    const struct
    {
        quint64 flag;
        uint16_t mask;
        quint16 position;
    } modifierKeys[] = {
        {HotKeyCombo::commandFlag, XCB_MOD_MASK_CONTROL, KeyPosition::Command},
        {HotKeyCombo::shiftFlag, XCB_MOD_MASK_SHIFT, KeyPosition::Shift},
        {HotKeyCombo::optionFlag, keymap.altMask(), KeyPosition::Option},
        {HotKeyCombo::controlFlag, keymap.superMask(), KeyPosition::Control},
    };
    for (const auto &modifier : modifierKeys) {
        if (!(modifiers & modifier.flag))
            continue;
        auto modifierKey = modifier.mask ? keyOfModifier(modifier.mask) : std::nullopt;
        if (!modifierKey)
            modifierKey = keymap.x11KeyCode(modifier.position);
        if (!modifierKey)
            return std::nullopt;
        keystroke.modifierKeys.append(*modifierKey);
    }

    // Lock keys (CapsLock, NumLock) are states, not held keys.
    if (codes && pressed) {
        for (int modifier = 0; modifier < 8; ++modifier) {
            if (modifier == XCB_MAP_INDEX_LOCK || (1u << modifier) == keymap.numLockMask())
                continue;
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t held = codes[modifier * perModifier + i];
                if (held != 0 && isPressed(*pressed, held))
                    keystroke.heldModifierKeys.append(held);
            }
        }
    }
    return keystroke;
}

// Releases what the user still holds, then presses the modifier keys and the key.
void press(xcb_connection_t *c, const ResolvedKeystroke &keystroke)
{
    for (const xcb_keycode_t held : keystroke.heldModifierKeys)
        fakeKey(c, XCB_KEY_RELEASE, held);
    for (const xcb_keycode_t modifierKey : keystroke.modifierKeys)
        fakeKey(c, XCB_KEY_PRESS, modifierKey);
    fakeKey(c, XCB_KEY_PRESS, keystroke.key);
}

// Releases the key, then the modifier keys in the opposite order.
void release(xcb_connection_t *c, const ResolvedKeystroke &keystroke)
{
    fakeKey(c, XCB_KEY_RELEASE, keystroke.key);
    for (auto it = keystroke.modifierKeys.crbegin(); it != keystroke.modifierKeys.crend(); ++it)
        fakeKey(c, XCB_KEY_RELEASE, *it);
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
    const auto keystroke = resolve(c, *keymap, keyCode, modifiers);
    if (!keystroke)
        return false;

    press(c, *keystroke);
    release(c, *keystroke);

    // One round trip: the server has handled every request above when the answer comes.
    Reply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return sync != nullptr;
}

} // namespace tessaly::x11
