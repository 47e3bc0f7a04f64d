#pragma once

#include <QRectF>

#include <optional>

namespace tessaly {

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

} // namespace tessaly
