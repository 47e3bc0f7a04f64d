import QtQuick
import QtQuick.Controls.impl

// A symbol of the bundled set, by its interface name, tinted with `color`. `size` is the side
// of the square it is drawn in.
IconImage {
    id: symbol

    property string name
    property real size: 14

    source: Symbols.source(name)
    width: size
    height: size
    sourceSize: Qt.size(size, size)
    fillMode: Image.PreserveAspectFit
    color: PanelTheme.primary
}
