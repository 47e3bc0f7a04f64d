import QtQuick
import QtQuick.Controls
import Tessaly.Theme
import Tessaly.Cards

// A small symbol button of a clip card, with a tooltip. Its symbol takes `tint` when one is
// given, otherwise it follows the pointer (primary while hovered, secondary otherwise).
AbstractButton {
    id: button

    property string symbol
    // A colour, or null to follow the pointer.
    property var tint: null
    property string help

    implicitWidth: 22
    implicitHeight: 20
    hoverEnabled: true
    focusPolicy: Qt.NoFocus
    Accessible.name: help

    contentItem: Item {
        SymbolIcon {
            anchors.centerIn: parent
            symbol: button.symbol
            size: 13
            color: button.tint ? button.tint
                               : (button.hovered ? PanelTheme.primary : PanelTheme.secondary)
        }
    }

    background: Rectangle {
        radius: 5
        color: PanelTheme.withOpacity(PanelTheme.primary, button.hovered ? 0.1 : 0)
    }

    ToolTip.text: help
    ToolTip.visible: help !== "" && hovered
    ToolTip.delay: 700
}
