#include "platform/keyboard/EvdevKeystroke.h"

#include "hotkey/HotKeyCombo.h"
#include "platform/keyboard/PhysicalKeys.h"

#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace tessaly::keyboard {

namespace {

// The left modifier keys' codes (linux/input-event-codes.h).
constexpr quint32 leftCtrl = 29;
constexpr quint32 leftShift = 42;
constexpr quint32 leftAlt = 56;
constexpr quint32 leftMeta = 125;

// Compiled once; xkbcommon's keymaps may be read from any thread.
xkb_keymap *defaultKeymap()
{
    static const std::unique_ptr<xkb_keymap, void (*)(xkb_keymap *)> keymap = [] {
        xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        xkb_keymap *compiled =
            context ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)
                    : nullptr;
        xkb_context_unref(context);
        return std::unique_ptr<xkb_keymap, void (*)(xkb_keymap *)>(compiled, xkb_keymap_unref);
    }();
    return keymap.get();
}

} // namespace

std::optional<QList<std::pair<quint32, bool>>> evdevKeystroke(quint16 keyCode, quint64 modifiers)
{
    const char *name = PhysicalKeys::xkbKeyName(keyCode);
    xkb_keymap *keymap = defaultKeymap();
    const xkb_keycode_t key =
        name && keymap ? xkb_keymap_key_by_name(keymap, name) : XKB_KEYCODE_INVALID;
    if (key == XKB_KEYCODE_INVALID || key < 8)
        return std::nullopt;

    QList<quint32> held;
    const struct
    {
        quint64 flag;
        quint32 code;
    } modifierKeys[] = {
        {HotKeyCombo::commandFlag, leftCtrl},
        {HotKeyCombo::shiftFlag, leftShift},
        {HotKeyCombo::optionFlag, leftAlt},
        {HotKeyCombo::controlFlag, leftMeta},
    };
    for (const auto &modifier : modifierKeys) {
        if (modifiers & modifier.flag)
            held.append(modifier.code);
    }
    QList<std::pair<quint32, bool>> events;
    for (const quint32 code : std::as_const(held))
        events.append({code, true});
    // Evdev codes are the keymap's less 8.
    events.append({key - 8, true});
    events.append({key - 8, false});
    for (auto it = held.crbegin(); it != held.crend(); ++it)
        events.append({*it, false});
    return events;
}

} // namespace tessaly::keyboard
