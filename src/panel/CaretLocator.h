#pragma once

#include "panel/CaretSource.h"

#include <QRectF>

#include <optional>

namespace tessaly {

class AccessibilityPermission;
class Screens;

// The text cursor of whatever application is in front, in the desktop space, checked for
// plausibility: a rectangle at the display's origin, of no height or of 300 points and more,
// or one that lies on no screen is no caret.
class CaretLocator
{
public:
    CaretLocator(CaretSource &source, const Screens &screens,
                 const AccessibilityPermission &accessibility);

    // A zero-width insertion point comes back 1 point wide.
    std::optional<QRectF> caretRect() const;

private:
    CaretSource &m_source;
    const Screens &m_screens;
    const AccessibilityPermission &m_accessibility;
};

} // namespace tessaly
