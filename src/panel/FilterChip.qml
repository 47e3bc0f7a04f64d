import QtQuick
import QtQuick.Controls
import Tessaly.Panel
import Tessaly.Theme

// One chip of the filter bar: a capsule, filled with the accent colour while its filter is
// the active one.
AbstractButton {
    id: chip

    property bool active: false

    leftPadding: 9
    rightPadding: 9
    topPadding: 4
    bottomPadding: 4
    focusPolicy: Qt.NoFocus
    font.pointSize: PanelTheme.points(11.5)
    font.weight: active ? Font.DemiBold : Font.Normal

    contentItem: Text {
        text: chip.text
        font: chip.font
        color: chip.active ? "white" : PanelTheme.withOpacity(PanelTheme.primary, 0.8)
        textFormat: Text.PlainText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        radius: height / 2
        color: chip.active ? PanelTheme.accent : PanelTheme.withOpacity(PanelTheme.primary, 0.06)
    }
}
