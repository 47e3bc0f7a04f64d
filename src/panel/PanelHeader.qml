import QtQuick
import QtQuick.Layouts
import Tessaly.Panel
import Tessaly.Theme

// The panel's header: a grip and the title over a drag area that moves the panel, then the
// "Limpar tudo" and settings buttons.
Item {
    id: header

    property bool canClear: false

    signal clearAll()
    signal openSettings()

    implicitHeight: row.implicitHeight + 15 + 9

    WindowDragArea {
        anchors.fill: parent
        help: "Arraste para mover o painel"
    }

    Rectangle {
        objectName: "grip"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 6
        width: 36
        height: 4
        radius: 2
        color: PanelTheme.withOpacity(PanelTheme.primary, 0.2)
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 10
        anchors.topMargin: 15
        anchors.bottomMargin: 9
        spacing: 8

        // The title takes no presses: they reach the drag area behind it.
        Row {
            spacing: 8
            Layout.alignment: Qt.AlignVCenter

            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                symbol: "square.on.square.fill"
                size: 15
                color: PanelTheme.accent
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Área de transferência"
                font.pointSize: PanelTheme.points(13.5)
                font.weight: Font.DemiBold
                color: PanelTheme.primary
            }
        }

        Item {
            Layout.fillWidth: true
        }

        HeaderButton {
            objectName: "clearAllButton"
            text: "Limpar tudo"
            help: "Apaga o histórico, mantendo os itens fixados"
            enabled: header.canClear
            onClicked: header.clearAll()
        }
        HeaderButton {
            objectName: "settingsButton"
            symbol: "gearshape"
            help: "Ajustes (⌘,)"
            onClicked: header.openSettings()
        }
    }
}
