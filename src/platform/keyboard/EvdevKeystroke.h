#pragma once

#include <QList>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace tessaly::keyboard {

// A keystroke as a keyboard sends it to the kernel: the modifier keys (the left ones) pressed,
// the key pressed and released, the modifiers released, each as an evdev key code with its
// state (true: pressed). The key position is read with the system's default keymap, whose
// codes are those of every layout. Absent for a position without a PC key.
std::optional<QList<std::pair<quint32, bool>>> evdevKeystroke(quint16 keyCode, quint64 modifiers);

} // namespace tessaly::keyboard
