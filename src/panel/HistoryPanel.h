#pragma once

#include "panel/DesktopSpace.h"
#include "panel/PanelViews.h"
#include "panel/PanelWindow.h"

#include <QObject>

#include <functional>
#include <memory>

class QQuickView;
class QTimer;

namespace tessaly {

class PanelModel;

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

// The history panel's window: a frameless 400 × 560 panel with 14-point rounded corners that
// shows the history view over the panel model. It is created once and kept hidden between
// openings. Frames are given in the desktop space of placement.
class HistoryPanel : public QObject, public PanelWindow
{
    Q_OBJECT

public:
    static constexpr int width = 400;
    static constexpr int height = 560;
    static constexpr int cornerRadius = 14;

    HistoryPanel(PanelModel &model, const PanelViewBackends &backends, KeyTranslator &keys,
                 PanelWindowSystem &system, std::function<DesktopSpace()> desktopSpace,
                 QObject *parent = nullptr);
    ~HistoryPanel() override;

    // Whether the view loaded (a broken view leaves the panel unusable).
    bool isReady() const;
    // Builds and draws the view once off the screen, so that the first opening is as quick as
    // the later ones (run once the program is idle after its start).
    void warmUp();
    QQuickView *view() const { return m_view.get(); }

    bool isVisible() const override;
    QRectF frame() const override;
    void setFrame(const QRectF &frame) override;
    void show() override;
    void hide() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onActiveChanged();
    void checkDeactivation();

    KeyTranslator &m_keys;
    PanelWindowSystem &m_system;
    std::function<DesktopSpace()> m_desktopSpace;
    std::unique_ptr<QQuickView> m_view;
    // Whether the panel has had the keyboard since it was last shown.
    bool m_activeSinceShow = false;
    // Re-checks a loss of the keyboard once the pointer buttons are up.
    QTimer *m_deactivationCheck = nullptr;
};

} // namespace tessaly
