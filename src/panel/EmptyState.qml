import QtQuick
import QtQuick.Layouts
import Tessaly.Panel
import Tessaly.Theme

// What the panel shows in place of an empty list: a symbol, a title and a hint, which depend
// on the query and the filter.
Item {
    id: empty

    property string query
    property string filter

    readonly property var message: ViewRules.emptyState(query, filter)

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 48
        spacing: 8

        SymbolIcon {
            objectName: "emptySymbol"
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: 4
            symbol: empty.message.symbol
            size: 30
            color: PanelTheme.tertiary
        }
        Text {
            objectName: "emptyTitle"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: empty.message.title
            font.pointSize: PanelTheme.points(13)
            font.weight: Font.DemiBold
            color: PanelTheme.primary
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
        }
        Text {
            objectName: "emptySubtitle"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: empty.message.subtitle
            font.pointSize: PanelTheme.points(12)
            color: PanelTheme.secondary
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            lineHeight: 1.1
        }
    }
}
