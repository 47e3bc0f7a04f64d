#pragma once

#include "hotkey/KeyboardLayoutSource.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace tessaly::x11 {

// The core keyboard of an X display as the server describes it, compiled by xkbcommon: stored
// key positions ↔ X11 keycodes (through the XKB key names of PhysicalKeys), what each key types
// in each layout, and which real modifiers stand for Alt, Super and NumLock.
//
// A reading is a snapshot: read() again after the keyboard changed (see isKeyboardChange).
class X11Keymap
{
public:
    // Reads the keymap and the modifier mapping of the connection's core keyboard (setting XKB up
    // on the connection first); null when the server has no usable XKB or the connection failed.
    static std::unique_ptr<X11Keymap> read(xcb_connection_t *connection);

    // Sets up XKB on the connection and asks for the events that announce a new keymap or a
    // changed mapping. Answers the XKB event base; absent when the server has no XKB.
    static std::optional<uint8_t> watchKeyboardChanges(xcb_connection_t *connection);
    // Whether an event read on a watched connection announces a keyboard change.
    static bool isKeyboardChange(const xcb_generic_event_t *event, uint8_t xkbEventBase);

    ~X11Keymap();
    X11Keymap(const X11Keymap &) = delete;
    X11Keymap &operator=(const X11Keymap &) = delete;

    // The X11 keycode of the key at a stored position; absent when the position has no PC key
    // or this keymap lacks it.
    std::optional<xcb_keycode_t> x11KeyCode(quint16 keyCode) const;
    // The stored position of an X11 keycode; absent for keys outside the table.
    std::optional<quint16> keyCode(xcb_keycode_t x11KeyCode) const;

    // The X11 modifier mask for modifier flags (shift → Shift, command → Control, option → the
    // modifier of Alt, control → the modifier of Super); other flags are ignored. Absent when a
    // flag's modifier is not mapped on this keyboard.
    std::optional<uint16_t> x11Modifiers(quint64 modifierFlags) const;
    // The modifier flags of an X11 modifier state (the reverse of x11Modifiers).
    quint64 modifierFlags(uint16_t x11State) const;

    // The real modifiers of NumLock, Alt and Super; 0 when not mapped.
    uint16_t numLockMask() const { return m_numLockMask; }
    uint16_t altMask() const { return m_altMask; }
    uint16_t superMask() const { return m_superMask; }

    uint32_t layoutCount() const;
    // What each stored key position types in a layout with no modifier held: the level-one
    // output, a dead key as its spacing accent, a keypad digit as the digit. Empty text where a
    // key types nothing or the keymap lacks it.
    LayoutOutputs outputs(uint32_t layout) const;

    xkb_keymap *keymap() const { return m_keymap; }

private:
    X11Keymap() = default;
    void readModifierMapping(xcb_connection_t *connection);
    QString keyText(xkb_keycode_t key, uint32_t layout, uint32_t level) const;

    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    std::array<xkb_keycode_t, 128> m_x11KeyCodes{};
    uint16_t m_numLockMask = 0;
    uint16_t m_altMask = 0;
    uint16_t m_superMask = 0;
};

} // namespace tessaly::x11
