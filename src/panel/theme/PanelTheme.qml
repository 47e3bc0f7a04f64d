pragma Singleton

import QtQuick
import Tessaly.Theme

// The panel's colours and type, taken from the desktop's palette so that the views follow a
// light or dark desktop: primary is the window text, secondary and tertiary are lighter levels
// of it, accent is the selection colour, orange a fixed warning colour.
QtObject {
    id: theme

    readonly property SystemPalette palette: SystemPalette {
        colorGroup: SystemPalette.Active
    }

    readonly property color primary: palette.windowText
    readonly property color secondary: withOpacity(primary, 0.6)
    readonly property color tertiary: withOpacity(primary, 0.34)
    readonly property color accent: palette.highlight
    readonly property color accentText: palette.highlightedText
    readonly property color orange: "#ff9500"
    readonly property color window: palette.window
    readonly property color destructive: "#d92d20"

    function withOpacity(color, opacity) {
        return Qt.rgba(color.r, color.g, color.b, color.a * opacity)
    }

    // Sizes are given in device-independent pixels, the unit of every other measure of the
    // panel; fonts take points (1/72 inch against the desktop's 96 pixels per inch).
    function points(pixels) {
        return pixels * 0.75
    }
}
