#pragma once

#include <QRectF>

namespace tessaly {

// The panel window as placement sees it, in the desktop space (Screens.h).
class PanelFrame
{
public:
    virtual ~PanelFrame() = default;

    virtual bool isVisible() const = 0;
    // The window's frame: its bottom-left corner and its size.
    virtual QRectF frame() const = 0;
    virtual void setFrame(const QRectF &frame) = 0;
};

} // namespace tessaly
