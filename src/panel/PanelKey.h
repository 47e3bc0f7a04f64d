#pragma once

#include <QString>

#include <optional>

namespace tessaly {

// A key press as the panel's key table reads it: the stored key position (KeyPosition::Return,
// KeyPosition::Escape, KeyPosition::V …), the modifier flags held (command = Ctrl, shift, option =
// Alt, control = Super), and what the key types with no modifier, lower-cased ("p", "3", ","; empty
// for keys that type nothing).
struct PanelKey
{
    quint16 keyCode = 0;
    quint64 modifiers = 0;
    QString characters;
};

} // namespace tessaly
