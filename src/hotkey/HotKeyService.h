#pragma once

#include "hotkey/HotKeyCombo.h"

#include <functional>

namespace tessaly {

// The system's way of reserving one key combination for this process, whatever application is
// in front, and of reporting its presses.
class HotKeyService
{
public:
    virtual ~HotKeyService() = default;

    // Reserves the combination system-wide, replacing what was reserved before. All or nothing:
    // answers false, reserving nothing, when the system refuses any part of it (another client
    // holds it) or the combination has no equivalent on this keyboard.
    virtual bool grab(const HotKeyCombo &combo) = 0;
    // Releases the reservation; nothing happens when there is none.
    virtual void ungrab() = 0;

    // Run on the main thread, from the service's own event dispatch, once per press of the
    // reserved combination (a held key does not repeat it).
    std::function<void()> onPressed;
    // Run on the main thread when the keyboard mapping changed (a new layout, modifiers moved),
    // after which a reservation may have to be made again. Changes come in bursts.
    std::function<void()> onKeyboardChanged;
};

} // namespace tessaly
