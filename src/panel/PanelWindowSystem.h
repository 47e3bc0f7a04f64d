#pragma once

#include <QtGlobal>

#include <functional>

namespace tessaly {

// What the floating panel needs of the window system beyond Qt's windows.
class PanelWindowSystem
{
public:
    virtual ~PanelWindowSystem() = default;

    // Whether windows can be translucent (a compositor runs); without one, the panel's rounded
    // corners are cut with a window shape instead.
    virtual bool hasCompositor() const = 0;
    // Marks a created, not yet shown window as the floating panel: above ordinary windows, on
    // every workspace, out of the taskbar and the pager.
    virtual void preparePanelWindow(quintptr windowId) = 0;
    // Gives the shown window the keyboard, as a pager would ask the window manager for it.
    virtual void activate(quintptr windowId) = 0;
    // Whether a pointer button is held down anywhere on the screen (a click or a drag under
    // way: the window manager holds the keyboard while it moves a window).
    virtual bool isPointerButtonDown() const = 0;
    // Whether the keyboard focus is still on one of this program's windows (ownWindowId is one
    // of them). The window manager may hold the keyboard for a while, to move a window or to
    // switch between windows, without giving it to another application.
    virtual bool isFocusOnOwnWindow(quintptr ownWindowId) const = 0;
    // Reports, until stopped, every press of the left or right pointer button that lands outside
    // this program's windows: on another application's window (docks and tray icons that never
    // take the keyboard included) or on the bare desktop. ownWindowId is one of the program's
    // windows. Reports come from the event loop.
    virtual void watchClicksElsewhere(quintptr ownWindowId, std::function<void()> onClick) = 0;
    virtual void stopWatchingClicks() = 0;
};

} // namespace tessaly
