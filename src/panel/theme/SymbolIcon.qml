import QtQuick
import QtQuick.Controls.impl
import Tessaly.Theme

// A symbol of the bundled set, by its interface name, tinted with `color`. `size` is the side
// of the square it is drawn in.
IconImage {
    id: icon

    property string symbol
    property real size: 14

    source: Symbols.source(symbol)
    width: size
    height: size
    sourceSize: Qt.size(size, size)
    fillMode: Image.PreserveAspectFit
    color: PanelTheme.primary
}
