import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme
import Tessaly.Settings

// The hot-key recorder: the current combination on a button (tinted and asking for a
// combination while it records) and a reset button back to the default.
RowLayout {
    id: control

    required property HotKeyRecorder recorder

    spacing: 6

    // The shortcut's button takes the keyboard when the window opens: Space starts recording.
    function takeFocus() {
        main.forceActiveFocus()
    }

    Button {
        id: main
        objectName: "recorderButton"
        highlighted: control.recorder.isRecording
        implicitWidth: Math.max(130, implicitContentWidth + leftPadding + rightPadding)
        text: control.recorder.label
        font.pointSize: PanelTheme.points(13)
        font.weight: Font.Medium
        focusPolicy: Qt.StrongFocus
        onClicked: control.recorder.click()
        Accessible.name: control.recorder.isRecording ? control.recorder.label
                                                      : "Atalho: " + control.recorder.label
        Accessible.onPressAction: control.recorder.click()
        ToolTip.text: "⌘ é Ctrl, ⌥ é Alt, ⌃ é a tecla Super e ⇧ é Shift no teclado de PC."
        ToolTip.visible: hovered && !control.recorder.isRecording
        ToolTip.delay: 900
    }
    AbstractButton {
        objectName: "recorderResetButton"
        visible: control.recorder.showsReset
        implicitWidth: 24
        implicitHeight: 24
        hoverEnabled: true
        focusPolicy: Qt.NoFocus
        onClicked: control.recorder.reset()
        Accessible.name: control.recorder.resetToolTip
        Accessible.onPressAction: control.recorder.reset()
        contentItem: SymbolIcon {
            symbol: "arrow.counterclockwise"
            size: 14
            color: PanelTheme.withOpacity(PanelTheme.primary, parent.hovered ? 0.9 : 0.6)
        }
        ToolTip.text: control.recorder.resetToolTip
        ToolTip.visible: hovered
        ToolTip.delay: 500
    }
}
