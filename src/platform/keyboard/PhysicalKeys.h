#pragma once

#include "hotkey/KeyPosition.h"

#include <QtGlobal>

#include <optional>
#include <string_view>

namespace tessaly::keyboard {

// The stored key positions (hotkey/KeyPosition.h: KeyPosition::V, KeyPosition::Space …) and the
// XKB names of the same physical keys on a PC keyboard ("AB04", "SPCE"). The names are resolved
// against the live keymap, so any keymap works.
//
// The modifier keys follow the modifier convention: the command keys are the Ctrl keys, the
// control keys the Super keys, the option keys Alt.
namespace PhysicalKeys {

// The number of stored key positions the table covers (0 to 127).
inline constexpr quint16 positionCount = KeyPosition::count;

// The XKB name of the key at a stored position; null for positions without a PC key (fn, the
// unused codes) and for codes beyond the table.
const char *xkbKeyName(quint16 keyCode);

// The stored position of the key with this XKB name; absent when the table has no such key.
std::optional<quint16> keyCode(std::string_view xkbKeyName);

} // namespace PhysicalKeys

} // namespace tessaly::keyboard
