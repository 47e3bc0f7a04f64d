#pragma once

#include "panel/DesktopSpace.h"
#include "panel/Screens.h"

namespace tessaly {

// The screens as the window system reports them through Qt (on X11: the RandR monitors, the
// usable area from _NET_WORKAREA), converted to the desktop space at the edge. Needs a
// QGuiApplication.
class X11Screens : public Screens
{
public:
    QList<ScreenArea> screens() const override;
    QPointF mouseLocation() const override;
    QRectF fromDisplayPixels(const QRectF &rect) const override;

    // The conversion between Qt's window coordinates and the desktop space, for the panel's
    // window.
    DesktopSpace desktopSpace() const override;
};

} // namespace tessaly
