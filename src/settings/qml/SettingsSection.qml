import QtQuick
import QtQuick.Layouts
import Tessaly.Theme

// One group of the settings form: an optional header above, its rows in a rounded box (a thin
// line between rows), and an optional footer below.
ColumnLayout {
    id: section

    property string title
    property string footer
    default property alias rows: box.data

    spacing: 6
    Layout.fillWidth: true

    Text {
        visible: section.title !== ""
        text: section.title
        font.bold: true
        font.pointSize: PanelTheme.points(13)
        color: PanelTheme.primary
        textFormat: Text.PlainText
        leftPadding: 4
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: box.implicitHeight + 20
        radius: 8
        color: Qt.lighter(PanelTheme.window, PanelTheme.palette.window.hslLightness < 0.5 ? 1.35 : 1.04)
        border.color: PanelTheme.withOpacity(PanelTheme.primary, 0.12)

        ColumnLayout {
            id: box
            anchors.fill: parent
            anchors.margins: 10
            anchors.leftMargin: 14
            anchors.rightMargin: 14
            spacing: 10
        }
    }

    Text {
        visible: section.footer !== ""
        Layout.fillWidth: true
        text: section.footer
        wrapMode: Text.Wrap
        font.pointSize: PanelTheme.points(12)
        color: PanelTheme.secondary
        textFormat: Text.PlainText
        leftPadding: 4
        rightPadding: 4
    }
}
