#include "panel/PanelPlacement.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr double margin = 8;
constexpr double caretGap = 6;
constexpr double caretLeftOffset = 12;
constexpr double pointerGap = 2;
constexpr double centreLift = 60;

double minX(const QRectF &r)
{
    return r.x();
}
double maxX(const QRectF &r)
{
    return r.x() + r.width();
}
double minY(const QRectF &r)
{
    return r.y();
}
double maxY(const QRectF &r)
{
    return r.y() + r.height();
}
double midX(const QRectF &r)
{
    return r.x() + r.width() / 2;
}
double midY(const QRectF &r)
{
    return r.y() + r.height() / 2;
}

// Remembered corner → the point just below the middle of the panel's top edge.
QPointF rememberedAnchor(const QPointF &topLeft)
{
    return {topLeft.x() + panelWidth / 2, topLeft.y() - 1};
}

QPointF belowPointer(const QPointF &pointer)
{
    return {pointer.x() + pointerGap, pointer.y() - pointerGap - panelHeight};
}

} // namespace

bool pointInRect(const QPointF &point, const QRectF &rect)
{
    return point.x() >= minX(rect) && point.x() < maxX(rect) && point.y() > minY(rect) &&
           point.y() <= maxY(rect);
}

bool rectsOverlap(const QRectF &a, const QRectF &b)
{
    return minX(a) < maxX(b) && minX(b) < maxX(a) && minY(a) < maxY(b) && minY(b) < maxY(a);
}

std::optional<ScreenArea> screenContaining(const QList<ScreenArea> &screens, const QPointF &point)
{
    for (const ScreenArea &screen : screens) {
        if (pointInRect(point, screen.frame))
            return screen;
    }
    if (screens.isEmpty())
        return std::nullopt;
    return screens.first();
}

bool rememberedTopLeftUsable(const PlacementInputs &inputs)
{
    if (!inputs.rememberedTopLeft)
        return false;
    const QPointF anchor = rememberedAnchor(*inputs.rememberedTopLeft);
    return std::any_of(inputs.screens.cbegin(), inputs.screens.cend(),
                       [&](const ScreenArea &screen) { return pointInRect(anchor, screen.frame); });
}

bool placementNeedsCaret(const PlacementInputs &inputs)
{
    return inputs.position == PanelPosition::Caret ||
           (inputs.position == PanelPosition::Remembered && !rememberedTopLeftUsable(inputs));
}

QPointF panelOrigin(const PlacementInputs &inputs, const std::optional<QRectF> &caret)
{
    QPointF anchor = inputs.mouse;
    QPointF origin;
    bool caretFound = false;

    if (inputs.position == PanelPosition::Center) {
        if (const auto screen = screenContaining(inputs.screens, inputs.mouse)) {
            const QRectF &visible = screen->visibleFrame;
            origin = {midX(visible) - panelWidth / 2, midY(visible) - panelHeight / 2 + centreLift};
        } else {
            origin = belowPointer(inputs.mouse);
        }
    } else if (inputs.position == PanelPosition::Remembered && rememberedTopLeftUsable(inputs)) {
        const QPointF &topLeft = *inputs.rememberedTopLeft;
        origin = {topLeft.x(), topLeft.y() - panelHeight};
        anchor = rememberedAnchor(topLeft);
    } else if (inputs.position == PanelPosition::Mouse) {
        origin = belowPointer(inputs.mouse);
    } else if (caret) {
        origin = {minX(*caret) - caretLeftOffset, minY(*caret) - caretGap - panelHeight};
        anchor = caret->center();
        caretFound = true;
    } else {
        origin = belowPointer(inputs.mouse);
    }

    std::optional<ScreenArea> screen;
    for (const ScreenArea &candidate : inputs.screens) {
        if (pointInRect(anchor, candidate.frame)) {
            screen = candidate;
            break;
        }
    }
    if (!screen)
        screen = screenContaining(inputs.screens, inputs.mouse);
    if (!screen)
        return origin; // no screen at all: nothing to keep the panel inside
    const QRectF &visible = screen->visibleFrame;

    // Near the bottom the panel goes above the caret instead.
    if (caretFound && origin.y() < minY(visible) + margin)
        origin.setY(maxY(*caret) + caretGap);

    // Kept 8 points inside the usable area. On an area smaller than the panel the left edge
    // and the top edge stay inside (the search field and the first entries remain reachable):
    // x is bounded on the right first, y at the bottom first.
    double x = std::min(origin.x(), maxX(visible) - panelWidth - margin);
    x = std::max(x, minX(visible) + margin);
    double y = std::max(origin.y(), minY(visible) + margin);
    y = std::min(y, maxY(visible) - panelHeight - margin);
    return {x, y};
}

} // namespace tessaly
