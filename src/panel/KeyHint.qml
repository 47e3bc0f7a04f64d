import QtQuick
import Tessaly.Panel
import Tessaly.Theme

// A key cap followed by what the key does, for the panel's footer.
Row {
    id: hint

    property string key
    property string label
    property color color: PanelTheme.secondary
    property font font

    spacing: 4

    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        width: cap.implicitWidth + 8
        height: cap.implicitHeight + 2
        radius: 3
        color: PanelTheme.withOpacity(PanelTheme.primary, 0.08)

        Text {
            id: cap
            anchors.centerIn: parent
            text: hint.key
            font.pointSize: PanelTheme.points(10)
            font.weight: Font.DemiBold
            color: hint.color
            textFormat: Text.PlainText
        }
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: hint.label
        font: hint.font
        color: hint.color
        textFormat: Text.PlainText
    }
}
