#pragma once

#include "panel/PanelKey.h"
#include "panel/PanelPlacer.h"

#include <functional>

namespace tessaly {

// The floating history panel as its controller drives it: shown above ordinary windows on
// every workspace, taking the keyboard while open, and reporting what happens to it.
class PanelWindow : public PanelFrame
{
public:
    // Brings the panel up above every ordinary window and gives it the keyboard.
    virtual void show() = 0;
    // Takes the panel off the screen.
    virtual void hide() = 0;

    // A key press in the panel, before the panel's views see it; answers whether it was used
    // (then the views never see it).
    std::function<bool(const PanelKey &)> onKey;
    // The panel lost the keyboard (the user went to another window) or the user clicked outside
    // it. Reported after the event, never from inside show() or hide().
    std::function<void()> onDeactivated;
    // The panel moved on the screen.
    std::function<void()> onMoved;
};

} // namespace tessaly
