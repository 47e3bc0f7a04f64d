import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme
import Tessaly.Settings

// The confirmation of "Apagar tudo…": shown while the view asks for it.
Dialog {
    objectName: "wipeConfirmation"
    id: dialog

    required property SettingsView view

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 400
    modal: true
    visible: view.confirmWipe
    closePolicy: Popup.CloseOnEscape
    title: "Apagar todo o histórico, inclusive os itens fixados?"
    onClosed: view.confirmWipe = false

    header: Label {
        text: dialog.title
        font.bold: true
        font.pointSize: PanelTheme.points(13)
        wrapMode: Text.Wrap
        padding: 16
        bottomPadding: 4
    }

    leftPadding: 16
    rightPadding: 16
    bottomPadding: 14

    Label {
        width: parent.width
        text: "Essa ação não pode ser desfeita."
        wrapMode: Text.Wrap
        color: PanelTheme.secondary
    }

    footer: RowLayout {
        spacing: 8
        Item { Layout.fillWidth: true }
        Button {
            objectName: "cancelWipeButton"
            text: "Cancelar"
            onClicked: dialog.reject()
            Accessible.onPressAction: dialog.reject()
        }
        Button {
            objectName: "confirmWipeButton"
            text: "Apagar tudo"
            palette.buttonText: PanelTheme.destructive
            onClicked: dialog.view.wipeHistory()
            Accessible.onPressAction: dialog.view.wipeHistory()
        }
        Item { implicitWidth: 8 }
    }
    Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.25) }
    onRejected: view.confirmWipe = false
}
