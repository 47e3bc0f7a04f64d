#pragma once

#include <QPointF>
#include <QRectF>

namespace tessaly {

// Converts between the window system's top-down coordinates (origin at the top-left of the
// virtual desktop, y growing downwards, a rectangle's origin at its top-left corner) and the
// desktop space of placement (origin at the bottom-left of the primary screen, y growing
// upwards, a rectangle's origin at its bottom-left corner).
class DesktopSpace
{
public:
    // The primary screen's rectangle in top-down coordinates.
    explicit DesktopSpace(const QRectF &primaryScreen);

    QPointF fromTopDown(const QPointF &point) const;
    QPointF toTopDown(const QPointF &point) const;
    QRectF fromTopDown(const QRectF &rect) const;
    QRectF toTopDown(const QRectF &rect) const;

private:
    double m_left;
    double m_bottom;
};

} // namespace tessaly
