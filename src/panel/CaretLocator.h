#pragma once

#include <QRectF>

#include <optional>

namespace tessaly {

class AccessibilityPermission;
class Screens;

// Where the accessibility service finds the text cursor.
class CaretSource
{
public:
    virtual ~CaretSource() = default;

    // The rectangle of the text cursor, or of the selected text, of the focused text element of
    // the application in front, in the display's pixels (origin at the top-left, y growing
    // downwards); absent when there is none or the application does not answer in time.
    virtual std::optional<QRectF> focusedCaretRect() = 0;
};

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
