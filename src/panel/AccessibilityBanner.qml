import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Panel
import Tessaly.Theme

// Shown while automatic pasting is not possible: what is missing and a button to allow it.
Rectangle {
    id: banner

    signal allow()

    implicitHeight: row.implicitHeight + 16
    radius: 8
    color: PanelTheme.withOpacity(PanelTheme.orange, 0.12)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 8
        spacing: 9

        SymbolIcon {
            Layout.alignment: Qt.AlignVCenter
            symbol: "exclamationmark.triangle.fill"
            size: 15
            color: PanelTheme.orange
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            spacing: 1

            Text {
                objectName: "bannerTitle"
                Layout.fillWidth: true
                text: ViewRules.bannerTitle
                font.pointSize: PanelTheme.points(11.5)
                font.weight: Font.DemiBold
                color: PanelTheme.primary
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
            }
            Text {
                objectName: "bannerMessage"
                Layout.fillWidth: true
                text: ViewRules.bannerMessage
                font.pointSize: PanelTheme.points(10.5)
                color: PanelTheme.secondary
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
            }
        }

        Button {
            objectName: "allowButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Permitir"
            focusPolicy: Qt.NoFocus
            font.pointSize: PanelTheme.points(11)
            topPadding: 3
            bottomPadding: 3
            leftPadding: 8
            rightPadding: 8
            // The desktop's colours, as the rest of the panel has them.
            palette.button: PanelTheme.palette.button
            palette.buttonText: PanelTheme.palette.buttonText
            palette.window: PanelTheme.palette.window
            palette.windowText: PanelTheme.palette.windowText
            palette.highlight: PanelTheme.palette.highlight
            palette.light: PanelTheme.palette.light
            palette.midlight: PanelTheme.palette.midlight
            palette.mid: PanelTheme.palette.mid
            palette.dark: PanelTheme.palette.dark
            palette.shadow: PanelTheme.palette.shadow
            onClicked: banner.allow()
        }
    }
}
