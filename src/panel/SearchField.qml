import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Panel
import Tessaly.Theme

// The search box: a magnifying glass, a borderless field and, while there is text, a button
// that clears it. `text` follows the model; every edit is reported with `edited`.
Rectangle {
    id: box

    property string text
    readonly property alias field: field

    signal edited(string text)

    function focusField() {
        field.forceActiveFocus()
    }

    implicitHeight: 30
    radius: 8
    color: PanelTheme.withOpacity(PanelTheme.primary, 0.06)
    border.width: 0.5
    border.color: PanelTheme.withOpacity(PanelTheme.primary, 0.08)

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 9
        anchors.rightMargin: 9
        spacing: 6

        SymbolIcon {
            Layout.alignment: Qt.AlignVCenter
            symbol: "magnifyingglass"
            size: 13
            color: PanelTheme.secondary
        }

        TextField {
            id: field
            objectName: "searchField"
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            text: box.text
            onTextEdited: box.edited(text)
            placeholderText: "Pesquisar no histórico"
            placeholderTextColor: PanelTheme.tertiary
            color: PanelTheme.primary
            selectionColor: PanelTheme.accent
            selectedTextColor: PanelTheme.accentText
            font.pointSize: PanelTheme.points(13)
            leftPadding: 0
            rightPadding: 0
            topPadding: 0
            bottomPadding: 0
            background: null
            selectByMouse: true
        }

        AbstractButton {
            objectName: "clearSearchButton"
            visible: box.text !== ""
            Layout.alignment: Qt.AlignVCenter
            implicitWidth: 16
            implicitHeight: 16
            focusPolicy: Qt.NoFocus
            Accessible.name: "Limpar pesquisa"
            contentItem: SymbolIcon {
                symbol: "xmark.circle.fill"
                size: 13
                color: PanelTheme.tertiary
            }
            onClicked: box.edited("")
        }
    }
}
