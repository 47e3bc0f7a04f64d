#pragma once

#include <QtGlobal>

namespace tessaly {

// Synthesises keystrokes into whatever window has the keyboard focus.
class KeySynth
{
public:
    virtual ~KeySynth() = default;

    // Whether this process may synthesise input at all.
    virtual bool isAvailable() const = 0;

    // Presses and releases the key at a stored key position (KeyPosition::V …) with exactly the
    // given modifier flags held: modifiers the user still holds are released first. Returns once
    // the keystroke has reached the system; false when it could not be sent.
    virtual bool sendKeystroke(quint16 keyCode, quint64 modifiers) = 0;
};

} // namespace tessaly
