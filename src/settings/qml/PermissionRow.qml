import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme

// A permission the program needs: a green check when granted, else an orange mark and a button
// that asks for it.
Item {
    id: row

    property string title
    property string detail
    property bool granted
    property string actionTitle
    signal action()

    Layout.fillWidth: true
    implicitHeight: Math.max(texts.implicitHeight, button.visible ? button.implicitHeight : 0)

    SymbolIcon {
        id: mark
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        symbol: row.granted ? "checkmark.circle.fill" : "exclamationmark.circle.fill"
        size: 20
        color: row.granted ? "#28a745" : PanelTheme.orange
        Accessible.ignored: true
    }
    Column {
        id: texts
        anchors.left: mark.right
        anchors.leftMargin: 10
        anchors.right: button.visible ? button.left : parent.right
        anchors.rightMargin: button.visible ? 10 : 0
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            width: parent.width
            text: row.title
            color: PanelTheme.primary
            font.pointSize: PanelTheme.points(13)
            textFormat: Text.PlainText
        }
        Text {
            width: parent.width
            text: row.detail
            color: PanelTheme.secondary
            font.pointSize: PanelTheme.points(12)
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
        }
    }
    Button {
        id: button
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        visible: !row.granted
        text: row.actionTitle
        onClicked: row.action()
        Accessible.name: row.actionTitle + " " + row.title
        Accessible.onPressAction: row.action()
    }
}
