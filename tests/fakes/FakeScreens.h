#pragma once

#include "panel/DesktopSpace.h"
#include "panel/Screens.h"

namespace tessaly::test {

// Screens given in the desktop space. Display pixels (for the caret) are converted as a
// window system would: top-down, relative to the primary (first) screen.
class FakeScreens : public Screens
{
public:
    QList<ScreenArea> areas;
    QPointF mouse;

    QList<ScreenArea> screens() const override { return areas; }
    QPointF mouseLocation() const override { return mouse; }
    QRectF fromDisplayPixels(const QRectF &rect) const override
    {
        return areas.isEmpty() ? rect : desktopSpace().fromTopDown(rect);
    }
    DesktopSpace desktopSpace() const override
    {
        // The primary screen at the display's origin: its top edge is y = 0 top-down.
        const QRectF primary = areas.isEmpty() ? QRectF() : areas.first().frame;
        return DesktopSpace(QRectF(0, 0, primary.width(), primary.height()));
    }
};

} // namespace tessaly::test
