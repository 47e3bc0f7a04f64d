import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme

// An application of the ignore list: its icon (a dashed square when it has none), its name and a
// button that takes it off the list.
RowLayout {
    id: row

    property string bundleID
    property string name
    property url iconSource
    signal remove()

    spacing: 8
    Layout.fillWidth: true

    Item {
        implicitWidth: 18
        implicitHeight: 18
        Image {
            id: icon
            anchors.fill: parent
            visible: row.iconSource.toString() !== "" && status === Image.Ready
            source: row.iconSource
            sourceSize: Qt.size(18, 18)
            fillMode: Image.PreserveAspectFit
        }
        SymbolIcon {
            anchors.fill: parent
            visible: !icon.visible
            symbol: "app.dashed"
            size: 18
            color: PanelTheme.secondary
        }
    }
    Text {
        text: row.name
        color: PanelTheme.primary
        font.pointSize: PanelTheme.points(13)
        elide: Text.ElideRight
        textFormat: Text.PlainText
        Layout.fillWidth: true
    }
    AbstractButton {
        implicitWidth: 22
        implicitHeight: 22
        hoverEnabled: true
        focusPolicy: Qt.TabFocus
        onClicked: row.remove()
        Accessible.name: "Remover " + row.name + " da lista"
        Accessible.onPressAction: row.remove()
        contentItem: SymbolIcon {
            symbol: "minus.circle"
            size: 15
            color: PanelTheme.withOpacity(PanelTheme.primary, parent.hovered ? 0.9 : 0.6)
        }
        ToolTip.text: "Remover da lista"
        ToolTip.visible: hovered
        ToolTip.delay: 500
    }
}
