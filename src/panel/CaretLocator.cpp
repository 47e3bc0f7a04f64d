#include "panel/CaretLocator.h"

#include "panel/PanelPlacement.h"
#include "panel/Screens.h"
#include "settings/AccessibilityPermission.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr double maximumCaretHeight = 300;

} // namespace

CaretLocator::CaretLocator(CaretSource &source, const Screens &screens,
                           const AccessibilityPermission &accessibility)
    : m_source(source), m_screens(screens), m_accessibility(accessibility)
{}

std::optional<QRectF> CaretLocator::caretRect() const
{
    if (!m_accessibility.isTrusted())
        return std::nullopt;
    const std::optional<QRectF> raw = m_source.focusedCaretRect();
    if (!raw)
        return std::nullopt;
    // Services report (0, 0) when they have no position.
    if (raw->x() == 0 && raw->y() == 0)
        return std::nullopt;

    const QList<ScreenArea> screens = m_screens.screens();
    if (screens.isEmpty())
        return std::nullopt;
    QRectF caret = m_screens.fromDisplayPixels(*raw);
    if (!(caret.height() > 0 && caret.height() < maximumCaretHeight))
        return std::nullopt;
    caret.setWidth(std::max(caret.width(), 1.0));

    const bool onScreen =
        std::any_of(screens.cbegin(), screens.cend(),
                    [&](const ScreenArea &screen) { return rectsOverlap(caret, screen.frame); });
    return onScreen ? std::optional<QRectF>(caret) : std::nullopt;
}

} // namespace tessaly
