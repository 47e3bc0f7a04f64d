import QtQuick
import QtQuick.Layouts
import Tessaly.Panel
import Tessaly.Theme

// The panel's footer: the keys of the panel, over a drag area that moves the panel.
Rectangle {
    id: footer

    implicitHeight: 30
    color: PanelTheme.withOpacity(PanelTheme.primary, 0.035)

    WindowDragArea {
        anchors.fill: parent
    }

    Rectangle {
        objectName: "footerDivider"
        anchors.top: parent.top
        width: parent.width
        height: 0.5
        color: PanelTheme.withOpacity(PanelTheme.primary, 0.08)
    }

    // The hints take no presses: they reach the drag area behind them.
    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        spacing: 11

        Repeater {
            model: [
                { key: "↩", label: "Colar" },
                { key: "⇧↩", label: "Texto puro" },
                { key: "⌘P", label: "Fixar" },
                { key: "⌘⌫", label: "Excluir" }
            ]
            KeyHint {
                required property var modelData
                Layout.alignment: Qt.AlignVCenter
                key: modelData.key
                label: modelData.label
                font.pointSize: PanelTheme.points(10.5)
            }
        }
        Item {
            Layout.fillWidth: true
        }
        KeyHint {
            Layout.alignment: Qt.AlignVCenter
            key: "⇥"
            label: "Filtro"
            font.pointSize: PanelTheme.points(10.5)
        }
    }
}
