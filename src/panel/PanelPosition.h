#pragma once

#include <QMetaType>
#include <QString>

#include <array>
#include <optional>

namespace tessaly {

// Where the history panel opens. Stored in the settings by its name.
enum class PanelPosition
{
    Caret,
    Mouse,
    Remembered,
    Center
};

inline constexpr std::array<PanelPosition, 4> allPanelPositions = {
    PanelPosition::Caret, PanelPosition::Mouse, PanelPosition::Remembered, PanelPosition::Center};

QString panelPositionName(PanelPosition position);
std::optional<PanelPosition> panelPositionFromName(QStringView name);
// The label of the settings picker.
QString panelPositionLabel(PanelPosition position);

} // namespace tessaly

Q_DECLARE_METATYPE(tessaly::PanelPosition)
