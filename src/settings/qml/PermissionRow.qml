import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Panel

// A permission the program needs: a green check when granted, else an orange mark and a button
// that asks for it.
RowLayout {
    id: row

    property string title
    property string detail
    property bool granted
    property string actionTitle
    signal action()

    spacing: 10
    Layout.fillWidth: true

    SymbolIcon {
        symbol: row.granted ? "checkmark.circle.fill" : "exclamationmark.circle.fill"
        size: 20
        color: row.granted ? "#28a745" : PanelTheme.orange
        Layout.preferredWidth: 20
        Layout.preferredHeight: 20
        Layout.alignment: Qt.AlignVCenter
        Accessible.ignored: true
    }
    ColumnLayout {
        spacing: 2
        Layout.fillWidth: true
        Text {
            text: row.title
            color: PanelTheme.primary
            font.pointSize: PanelTheme.points(13)
            textFormat: Text.PlainText
            Layout.fillWidth: true
        }
        Text {
            text: row.detail
            color: PanelTheme.secondary
            font.pointSize: PanelTheme.points(12)
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            Layout.fillWidth: true
        }
    }
    Button {
        visible: !row.granted
        text: row.actionTitle
        onClicked: row.action()
        Accessible.name: row.actionTitle + " " + row.title
        Accessible.onPressAction: row.action()
    }
}
