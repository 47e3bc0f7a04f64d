#include "panel/PanelPlacer.h"

#include "panel/CaretLocator.h"
#include "settings/AppSettings.h"

namespace tessaly {

PanelPlacer::PanelPlacer(const Screens &screens, const CaretLocator &caretLocator,
                         AppSettings &settings)
    : m_screens(screens), m_caretLocator(caretLocator), m_settings(settings)
{}

QPointF PanelPlacer::chooseOrigin() const
{
    PlacementInputs inputs;
    inputs.position = m_settings.panelPosition();
    inputs.mouse = m_screens.mouseLocation();
    inputs.screens = m_screens.screens();
    if (inputs.position == PanelPosition::Remembered)
        inputs.rememberedTopLeft = m_settings.lastPanelTopLeft();
    std::optional<QRectF> caret;
    if (placementNeedsCaret(inputs))
        caret = m_caretLocator.caretRect();
    return panelOrigin(inputs, caret);
}

void PanelPlacer::place(PanelFrame &panel)
{
    const QPointF origin = chooseOrigin();
    m_shownOrigin.reset();
    m_userMovedPanel = false;
    m_isPositioning = true;
    panel.setFrame(QRectF(origin, QSizeF(panelWidth, panelHeight)));
    m_isPositioning = false;
    const QRectF placed = panel.frame(); // what the window actually got
    m_shownOrigin = QPointF(placed.x(), placed.y());
}

void PanelPlacer::rememberPositionIfMoved(const PanelFrame &panel)
{
    if (!panel.isVisible() || m_isPositioning || !m_shownOrigin)
        return;
    const QRectF frame = panel.frame();
    // Compared exactly: a drag of a single point counts.
    if (!m_userMovedPanel && frame.x() == m_shownOrigin->x() && frame.y() == m_shownOrigin->y())
        return;
    m_userMovedPanel = true;
    m_settings.storeLastPanelTopLeft(QPointF(frame.x(), frame.y() + frame.height()));
}

std::optional<ScreenArea> PanelPlacer::screenUnderMouse() const
{
    return screenContaining(m_screens.screens(), m_screens.mouseLocation());
}

} // namespace tessaly
