#pragma once

#include "panel/DesktopSpace.h"

#include <QList>
#include <QPointF>
#include <QRectF>

namespace tessaly {

// Placement works in the desktop space: origin at the bottom-left corner of the primary screen,
// y growing upwards, a rectangle's origin at its bottom-left corner (QRectF's y() is its lowest
// edge, y() + height() its highest). The window system's top-down coordinates are converted at
// the edge (DesktopSpace).

// One screen: its whole frame and its usable part (without panels and docks).
struct ScreenArea
{
    QRectF frame;
    QRectF visibleFrame;

    friend bool operator==(const ScreenArea &, const ScreenArea &) = default;
};

// The screens and the pointer, as placement sees them.
class Screens
{
public:
    virtual ~Screens() = default;

    // Every screen, the primary one first; may be empty.
    virtual QList<ScreenArea> screens() const = 0;
    // Where the mouse pointer is.
    virtual QPointF mouseLocation() const = 0;
    // Converts a rectangle given in the display's pixels (origin at the top-left of the whole
    // display, y growing downwards), as accessibility services report it, to the desktop space.
    virtual QRectF fromDisplayPixels(const QRectF &rect) const = 0;
    // How the window system's top-down coordinates map to the desktop space.
    virtual DesktopSpace desktopSpace() const = 0;
};

} // namespace tessaly
