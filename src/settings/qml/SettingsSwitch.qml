import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme

// A labelled switch of the form: the label on the left, the switch on the right.
RowLayout {
    id: row

    property string text
    property alias checked: toggle.checked

    Layout.fillWidth: true

    Text {
        text: row.text
        color: PanelTheme.primary
        font.pointSize: PanelTheme.points(13)
        wrapMode: Text.Wrap
        textFormat: Text.PlainText
        Layout.fillWidth: true
    }
    Switch {
        id: toggle
        focusPolicy: Qt.TabFocus
        Accessible.name: row.text
        Accessible.onToggleAction: toggle.toggle()
    }
}
