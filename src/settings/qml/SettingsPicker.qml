import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme

// A labelled choice of the form: the label on the left, a drop-down list on the right.
RowLayout {
    id: row

    property string text
    property alias model: box.model
    property alias currentIndex: box.currentIndex
    signal activated(int index)

    Layout.fillWidth: true

    Text {
        text: row.text
        color: PanelTheme.primary
        font.pointSize: PanelTheme.points(13)
        textFormat: Text.PlainText
        Layout.fillWidth: true
    }
    ComboBox {
        id: box
        implicitWidth: 230
        focusPolicy: Qt.TabFocus
        onActivated: index => row.activated(index)
        Accessible.name: row.text
    }
}
