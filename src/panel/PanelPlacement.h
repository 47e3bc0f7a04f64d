#pragma once

#include "panel/PanelPosition.h"
#include "panel/Screens.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace tessaly {

// The panel's fixed size, in points.
inline constexpr double panelWidth = 400;
inline constexpr double panelHeight = 560;

// Everything placement needs, in the desktop space (Screens.h).
struct PlacementInputs
{
    PanelPosition position = PanelPosition::Caret;
    QPointF mouse;
    // The top-left corner where the user last left the panel, if any.
    std::optional<QPointF> rememberedTopLeft;
    // The primary screen first.
    QList<ScreenArea> screens;
};

// Whether the point lies in the rectangle: x in [minX, maxX), y in (minY, maxY] (the pixel
// below the top edge belongs to the rectangle, the one on its bottom edge does not: the rule
// for a point in an upward-growing space).
bool pointInRect(const QPointF &point, const QRectF &rect);

// Whether two rectangles overlap (touching edges do not count).
bool rectsOverlap(const QRectF &a, const QRectF &b);

// The first screen containing the point, else the primary (first) screen; absent when there
// are no screens.
std::optional<ScreenArea> screenContaining(const QList<ScreenArea> &screens, const QPointF &point);

// Whether the remembered corner can be used: present, and the point just below the middle of
// the panel's top edge lies on a screen.
bool rememberedTopLeftUsable(const PlacementInputs &inputs);

// Whether this placement looks for the text caret: the caret position, and the remembered one
// when its corner cannot be used.
bool placementNeedsCaret(const PlacementInputs &inputs);

// The panel's origin (bottom-left corner) for an opening. `caret` is the text caret's rectangle
// when placementNeedsCaret() and one was found. The panel goes below the caret (above it when
// it would reach into the bottom margin), at the mouse pointer, at the remembered corner, or
// 60 points above the centre of the usable area under the pointer; it is then kept 8 points
// inside the usable area of the screen that holds its anchor (the left and top edges win on a
// screen smaller than the panel).
QPointF panelOrigin(const PlacementInputs &inputs, const std::optional<QRectF> &caret);

} // namespace tessaly
