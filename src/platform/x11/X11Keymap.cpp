#include "platform/x11/X11Keymap.h"

#include "hotkey/HotKeyCombo.h"
#include "platform/keyboard/PhysicalKeys.h"
#include "platform/x11/XcbConnection.h"

#include <xkbcommon/xkbcommon-x11.h>

// <xcb/xkb.h> names a struct member `explicit`.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>

namespace tessaly::x11 {

namespace {

// Dead keys type nothing on their own; show the accent they stand for.
char32_t spacingAccent(xkb_keysym_t sym)
{
    switch (sym) {
    case XKB_KEY_dead_grave:
        return U'`';
    case XKB_KEY_dead_acute:
        return U'´';
    case XKB_KEY_dead_circumflex:
        return U'^';
    case XKB_KEY_dead_tilde:
        return U'~';
    case XKB_KEY_dead_macron:
        return U'¯';
    case XKB_KEY_dead_breve:
        return U'˘';
    case XKB_KEY_dead_abovedot:
        return U'˙';
    case XKB_KEY_dead_diaeresis:
        return U'¨';
    case XKB_KEY_dead_abovering:
        return U'˚';
    case XKB_KEY_dead_doubleacute:
        return U'˝';
    case XKB_KEY_dead_caron:
        return U'ˇ';
    case XKB_KEY_dead_cedilla:
        return U'¸';
    case XKB_KEY_dead_ogonek:
        return U'˛';
    case XKB_KEY_dead_iota:
        return U'ͺ';
    case XKB_KEY_dead_voiced_sound:
        return U'゛';
    case XKB_KEY_dead_semivoiced_sound:
        return U'゜';
    case XKB_KEY_dead_stroke:
        return U'/';
    case XKB_KEY_dead_belowcomma:
        return U',';
    case XKB_KEY_dead_abovecomma:
        return U'’';
    case XKB_KEY_dead_abovereversedcomma:
        return U'‘';
    case XKB_KEY_dead_doublegrave:
        return U'˵';
    case XKB_KEY_dead_belowdot:
        return U'.';
    default:
        return 0;
    }
}

bool isKeypadSym(xkb_keysym_t sym)
{
    return sym >= XKB_KEY_KP_Space && sym <= XKB_KEY_KP_Equal;
}

uint16_t lowestBit(uint16_t mask)
{
    return mask & uint16_t(-mask);
}

} // namespace

std::unique_ptr<X11Keymap> X11Keymap::read(xcb_connection_t *connection)
{
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return nullptr;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return nullptr;

    std::unique_ptr<X11Keymap> result(new X11Keymap);
    result->m_context = xkb_context_new(
        xkb_context_flags(XKB_CONTEXT_NO_DEFAULT_INCLUDES | XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!result->m_context)
        return nullptr;
    result->m_keymap = xkb_x11_keymap_new_from_device(result->m_context, connection, device,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!result->m_keymap)
        return nullptr;

    for (quint16 code = 0; code < keyboard::PhysicalKeys::positionCount; ++code) {
        const char *name = keyboard::PhysicalKeys::xkbKeyName(code);
        if (!name)
            continue;
        const xkb_keycode_t key = xkb_keymap_key_by_name(result->m_keymap, name);
        // X11 keycodes are 8 to 255.
        if (key != XKB_KEYCODE_INVALID && key >= 8 && key <= 255)
            result->m_x11KeyCodes[code] = key;
    }
    result->readModifierMapping(connection);
    return result;
}

void X11Keymap::readModifierMapping(xcb_connection_t *connection)
{
    const Reply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!reply)
        return;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    uint16_t numLock = 0, alt = 0, super = 0;
    // Shift, Lock and Control (0 to 2) are fixed; Alt, Super and NumLock live on Mod1 to Mod5.
    for (int modifier = 3; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xkb_keycode_t key = codes[modifier * perModifier + i];
            if (key == 0)
                continue;
            const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(m_keymap, key);
            for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
                const xkb_level_index_t levels =
                    xkb_keymap_num_levels_for_key(m_keymap, key, layout);
                for (xkb_level_index_t level = 0; level < levels; ++level) {
                    const xkb_keysym_t *syms = nullptr;
                    const int count =
                        xkb_keymap_key_get_syms_by_level(m_keymap, key, layout, level, &syms);
                    for (int s = 0; s < count; ++s) {
                        switch (syms[s]) {
                        case XKB_KEY_Num_Lock:
                            numLock |= 1u << modifier;
                            break;
                        case XKB_KEY_Alt_L:
                        case XKB_KEY_Alt_R:
                            alt |= 1u << modifier;
                            break;
                        case XKB_KEY_Super_L:
                        case XKB_KEY_Super_R:
                            super |= 1u << modifier;
                            break;
                        default:
                            break;
                        }
                    }
                }
            }
        }
    }
    m_numLockMask = lowestBit(numLock);
    m_altMask = lowestBit(alt);
    m_superMask = lowestBit(super);
}

std::optional<uint8_t> X11Keymap::watchKeyboardChanges(xcb_connection_t *connection)
{
    if (!connection || xcb_connection_has_error(connection))
        return std::nullopt;
    uint8_t eventBase = 0;
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &eventBase, nullptr))
        return std::nullopt;
    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                              XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                              XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_KEY_BEHAVIORS |
                              XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    const xcb_xkb_select_events_details_t details{};
    xcb_xkb_select_events_aux(connection, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, mapParts,
                              mapParts, &details);
    xcb_flush(connection);
    return eventBase;
}

bool X11Keymap::isKeyboardChange(const xcb_generic_event_t *event, uint8_t xkbEventBase)
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY)
        return true;
    if (type != xkbEventBase)
        return false;
    // An XKB event carries its own kind in its second byte.
    const uint8_t xkbType = event->pad0;
    return xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY;
}

X11Keymap::~X11Keymap()
{
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

std::optional<xcb_keycode_t> X11Keymap::x11KeyCode(quint16 keyCode) const
{
    if (keyCode >= m_x11KeyCodes.size() || m_x11KeyCodes[keyCode] == 0)
        return std::nullopt;
    return xcb_keycode_t(m_x11KeyCodes[keyCode]);
}

std::optional<quint16> X11Keymap::keyCode(xcb_keycode_t x11KeyCode) const
{
    if (x11KeyCode == 0)
        return std::nullopt;
    const auto found = std::find(m_x11KeyCodes.begin(), m_x11KeyCodes.end(), x11KeyCode);
    if (found == m_x11KeyCodes.end())
        return std::nullopt;
    return quint16(found - m_x11KeyCodes.begin());
}

std::optional<uint16_t> X11Keymap::x11Modifiers(quint64 modifierFlags) const
{
    uint16_t mask = 0;
    if (modifierFlags & HotKeyCombo::shiftFlag)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifierFlags & HotKeyCombo::commandFlag)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifierFlags & HotKeyCombo::optionFlag) {
        if (!m_altMask)
            return std::nullopt;
        mask |= m_altMask;
    }
    if (modifierFlags & HotKeyCombo::controlFlag) {
        if (!m_superMask)
            return std::nullopt;
        mask |= m_superMask;
    }
    return mask;
}

quint64 X11Keymap::modifierFlags(uint16_t x11State) const
{
    quint64 flags = 0;
    if (x11State & XCB_MOD_MASK_SHIFT)
        flags |= HotKeyCombo::shiftFlag;
    if (x11State & XCB_MOD_MASK_CONTROL)
        flags |= HotKeyCombo::commandFlag;
    if (m_altMask && (x11State & m_altMask))
        flags |= HotKeyCombo::optionFlag;
    if (m_superMask && (x11State & m_superMask))
        flags |= HotKeyCombo::controlFlag;
    return flags;
}

uint32_t X11Keymap::layoutCount() const
{
    return xkb_keymap_num_layouts(m_keymap);
}

QString X11Keymap::keyText(xkb_keycode_t key, uint32_t layout, uint32_t level) const
{
    const xkb_keysym_t *syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(m_keymap, key, layout, level, &syms) < 1)
        return {};
    if (const char32_t accent = spacingAccent(syms[0]))
        return QString::fromUcs4(&accent, 1);
    char buffer[16];
    if (xkb_keysym_to_utf8(syms[0], buffer, sizeof buffer) <= 0)
        return {};
    return QString::fromUtf8(buffer);
}

LayoutOutputs X11Keymap::outputs(uint32_t layout) const
{
    LayoutOutputs result;
    // A state locked to the layout, no modifier: it resolves keys that have fewer layouts than
    // the keymap the way the server does.
    xkb_state *state = xkb_state_new(m_keymap);
    if (!state)
        return result;
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, layout);
    for (quint16 code = 0; code < result.size(); ++code) {
        const xkb_keycode_t key = m_x11KeyCodes[code];
        if (key == 0)
            continue;
        const xkb_layout_index_t keyLayout = xkb_state_key_get_layout(state, key);
        if (keyLayout == XKB_LAYOUT_INVALID)
            continue;
        QString text = keyText(key, keyLayout, 0);
        if (text.isEmpty()) {
            // A keypad key types its digit once NumLock is on (its second level); a keyboard
            // without NumLock types the digit outright.
            const xkb_keysym_t *syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(m_keymap, key, keyLayout, 0, &syms) > 0 &&
                isKeypadSym(syms[0]) &&
                xkb_keymap_key_get_syms_by_level(m_keymap, key, keyLayout, 1, &syms) > 0 &&
                isKeypadSym(syms[0]))
                text = keyText(key, keyLayout, 1);
        }
        result[code] = text;
    }
    xkb_state_unref(state);
    return result;
}

} // namespace tessaly::x11
