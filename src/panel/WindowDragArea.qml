import QtQuick
import QtQuick.Controls
import Tessaly.Panel
import Tessaly.Theme

// A transparent area that moves its window when dragged: once the pointer has moved a few pixels
// with the button held, the move is handed to the window manager, as a title bar does. A mere
// click moves nothing (a window manager told to move after the button is already up would keep
// the pointer and the keyboard until the next click).
MouseArea {
    id: area

    property string help
    property point pressPoint

    acceptedButtons: Qt.LeftButton
    hoverEnabled: help !== ""
    onPressed: mouse => pressPoint = Qt.point(mouse.x, mouse.y)
    onPositionChanged: mouse => {
        if (!pressed)
            return
        const distance = Math.max(Math.abs(mouse.x - pressPoint.x),
                                  Math.abs(mouse.y - pressPoint.y))
        if (distance < Application.styleHints.startDragDistance)
            return
        const window = area.Window.window
        if (window)
            window.startSystemMove()
    }

    ToolTip.text: help
    ToolTip.visible: help !== "" && containsMouse && !pressed
    ToolTip.delay: 700
}
