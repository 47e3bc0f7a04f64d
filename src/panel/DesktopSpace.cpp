#include "panel/DesktopSpace.h"

namespace tessaly {

DesktopSpace::DesktopSpace(const QRectF &primaryScreen)
    : m_left(primaryScreen.x()), m_bottom(primaryScreen.y() + primaryScreen.height())
{}

QPointF DesktopSpace::fromTopDown(const QPointF &point) const
{
    return {point.x() - m_left, m_bottom - point.y()};
}

QPointF DesktopSpace::toTopDown(const QPointF &point) const
{
    return {point.x() + m_left, m_bottom - point.y()};
}

QRectF DesktopSpace::fromTopDown(const QRectF &rect) const
{
    return {rect.x() - m_left, m_bottom - (rect.y() + rect.height()), rect.width(), rect.height()};
}

QRectF DesktopSpace::toTopDown(const QRectF &rect) const
{
    return {rect.x() + m_left, m_bottom - (rect.y() + rect.height()), rect.width(), rect.height()};
}

} // namespace tessaly
