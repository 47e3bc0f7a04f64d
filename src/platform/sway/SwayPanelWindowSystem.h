#pragma once

#include "panel/PanelWindowSystem.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <memory>

namespace tessaly::sway {

class SwayFocusEvents;
class SwayIpc;

// The panel's window on sway's XWayland. sway centres every floating window it maps, and again
// at each change an X11 client asks for, ignoring the place asked for: for a moment after each
// showing the panel is watched in sway's tree and moved, over IPC, to the place the program
// chose whenever it is elsewhere. While it is shown, sway's focus events close it when another
// window takes the keyboard, as a click elsewhere does: XWayland does not always tell the panel.
// Everything else is the X11 window system's.
class SwayPanelWindowSystem : public QObject, public PanelWindowSystem
{
    Q_OBJECT

public:
    SwayPanelWindowSystem(std::unique_ptr<PanelWindowSystem> x11,
                          std::shared_ptr<const SwayIpc> ipc);
    ~SwayPanelWindowSystem() override;

    bool hasCompositor() const override;
    void preparePanelWindow(quintptr windowId) override;
    void activate(quintptr windowId) override;
    bool isPointerButtonDown() const override;
    bool isFocusOnOwnWindow(quintptr ownWindowId) const override;
    void watchClicksElsewhere(quintptr ownWindowId, std::function<void()> onClick) override;
    void stopWatchingClicks() override;

private:
    // Moves the window to its place if it is elsewhere; true once it has stayed there a moment
    // (or is gone).
    bool settle();

    std::unique_ptr<PanelWindowSystem> m_x11;
    std::shared_ptr<const SwayIpc> m_ipc;
    quintptr m_window = 0;
    QPoint m_wanted;
    std::unique_ptr<SwayFocusEvents> m_focus;
    std::function<void()> m_onElsewhere;
    bool m_panelWasFocused = false;
    int m_attemptsLeft = 0;
    int m_timesInPlace = 0;
    QTimer m_retry;
};

} // namespace tessaly::sway
