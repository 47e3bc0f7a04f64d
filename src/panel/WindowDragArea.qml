import QtQuick
import QtQuick.Controls
import Tessaly.Panel

// A transparent area that moves its window when dragged: a press hands the move to the window
// manager, as a title bar does.
MouseArea {
    id: area

    property string help

    acceptedButtons: Qt.LeftButton
    hoverEnabled: help !== ""
    onPressed: mouse => {
        const window = area.Window.window
        if (window)
            window.startSystemMove()
    }

    ToolTip.text: help
    ToolTip.visible: help !== "" && containsMouse && !pressed
    ToolTip.delay: 700
}
