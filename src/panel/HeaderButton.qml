import QtQuick
import QtQuick.Controls
import Tessaly.Panel
import Tessaly.Theme

// A button of the panel's header (the header button style): a quiet label that shows a
// rounded fill while hovered or pressed. Give it a `text` or a `symbol`.
AbstractButton {
    id: button

    property string symbol
    property string help

    implicitHeight: 24
    implicitWidth: contentItem.implicitWidth + leftPadding + rightPadding
    leftPadding: 7
    rightPadding: 7
    hoverEnabled: true
    // The search field keeps the keyboard.
    focusPolicy: Qt.NoFocus
    Accessible.name: text !== "" ? text : help
    font.pointSize: PanelTheme.points(12)

    readonly property color labelColor: PanelTheme.withOpacity(PanelTheme.primary,
                                                               enabled ? 0.75 : 0.3)

    contentItem: Item {
        implicitWidth: button.symbol !== "" ? icon.width : label.implicitWidth
        implicitHeight: 24

        Text {
            id: label
            visible: button.symbol === ""
            anchors.verticalCenter: parent.verticalCenter
            text: button.text
            font: button.font
            color: button.labelColor
            textFormat: Text.PlainText
        }
        SymbolIcon {
            id: icon
            visible: button.symbol !== ""
            anchors.verticalCenter: parent.verticalCenter
            symbol: button.symbol
            size: 14
            color: button.labelColor
        }
    }

    background: Rectangle {
        radius: 6
        color: PanelTheme.withOpacity(PanelTheme.primary,
                                      button.pressed ? 0.12
                                                     : (button.hovered && button.enabled ? 0.07 : 0))
    }

    ToolTip.text: help
    ToolTip.visible: help !== "" && hovered
    ToolTip.delay: 700
}
