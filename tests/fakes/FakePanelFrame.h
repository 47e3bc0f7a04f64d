#pragma once

#include "panel/PanelPlacer.h"

#include <functional>

namespace tessaly::test {

// A panel window that takes whatever frame it is given (or what `adjust` makes of it, as a
// window manager might), and calls `onMove` while its frame is being set, as a window's move
// notification would.
class FakePanelFrame : public PanelFrame
{
public:
    bool visible = true;
    QRectF current;
    std::function<QRectF(const QRectF &)> adjust;
    std::function<void()> onMove;

    bool isVisible() const override { return visible; }
    QRectF frame() const override { return current; }
    void setFrame(const QRectF &frame) override
    {
        current = adjust ? adjust(frame) : frame;
        if (onMove)
            onMove();
    }
};

} // namespace tessaly::test
