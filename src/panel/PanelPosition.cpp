#include "panel/PanelPosition.h"

namespace tessaly {

QString panelPositionName(PanelPosition position)
{
    switch (position) {
    case PanelPosition::Caret:
        return QStringLiteral("caret");
    case PanelPosition::Mouse:
        return QStringLiteral("mouse");
    case PanelPosition::Remembered:
        return QStringLiteral("remembered");
    case PanelPosition::Center:
        return QStringLiteral("center");
    }
    return {};
}

std::optional<PanelPosition> panelPositionFromName(QStringView name)
{
    for (PanelPosition position : allPanelPositions) {
        if (name == panelPositionName(position))
            return position;
    }
    return std::nullopt;
}

QString panelPositionLabel(PanelPosition position)
{
    switch (position) {
    case PanelPosition::Caret:
        return QStringLiteral("Perto do cursor de texto");
    case PanelPosition::Mouse:
        return QStringLiteral("Perto do ponteiro do mouse");
    case PanelPosition::Remembered:
        return QStringLiteral("Onde deixei por último");
    case PanelPosition::Center:
        return QStringLiteral("Centro da tela");
    }
    return {};
}

} // namespace tessaly
