#pragma once

#include "hotkey/HotKeyCombo.h"

#include <QString>

#include <optional>

struct xkb_keymap;

namespace tessaly::sway {

// How sway names the keys of a hot-key combination, and whether its configuration binds them
// already. The keymap gives the key's code (the same on every layout) and the symbols it types
// on the first layout, which is how a `bindsym` line names it.
namespace SwayBindings {

// The combination as `bindcode` takes it ("Ctrl+Shift+55"); absent when the key position has no
// key in the keymap.
std::optional<QString> bindcodeOf(const HotKeyCombo &combo, xkb_keymap *keymap);

// Whether a `bindsym` or `bindcode` line of the configuration text (its `set $variables`
// expanded) takes the same keys with the same modifiers.
bool isBoundIn(const QString &config, const HotKeyCombo &combo, xkb_keymap *keymap);

} // namespace SwayBindings

} // namespace tessaly::sway
