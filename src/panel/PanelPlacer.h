#pragma once

#include "panel/PanelFrame.h"
#include "panel/PanelPlacement.h"

#include <QPointF>
#include <QRectF>

#include <optional>

namespace tessaly {

class AppSettings;
class CaretLocator;

// Places the panel on each opening and remembers where the user drags it. The panel controller
// calls place() when it opens the panel, and rememberPositionIfMoved() on every move of the
// window and when it hides the panel.
class PanelPlacer
{
public:
    PanelPlacer(const Screens &screens, const CaretLocator &caretLocator, AppSettings &settings);

    // Gathers the inputs for the configured position (the text caret only when that position
    // needs it) and computes the panel's origin.
    QPointF chooseOrigin() const;
    // Sets the panel's frame to the chosen origin and the panel's size, without taking that
    // move for a drag by the user, and notes the origin the panel got.
    void place(PanelFrame &panel);
    // Once the user has moved the panel during this opening, stores its top-left corner as the
    // remembered position, now and on every later call of this opening.
    void rememberPositionIfMoved(const PanelFrame &panel);

    // The screen under the mouse pointer, else the primary screen; absent without screens.
    std::optional<ScreenArea> screenUnderMouse() const;

    // The origin the panel got when it was last placed; absent while placing.
    std::optional<QPointF> shownOrigin() const { return m_shownOrigin; }
    // True only while place() sets the frame.
    bool isPositioning() const { return m_isPositioning; }
    // Whether the user has moved the panel since it was last placed.
    bool userMovedPanel() const { return m_userMovedPanel; }

private:
    const Screens &m_screens;
    const CaretLocator &m_caretLocator;
    AppSettings &m_settings;

    std::optional<QPointF> m_shownOrigin;
    bool m_isPositioning = false;
    bool m_userMovedPanel = false;
};

} // namespace tessaly
