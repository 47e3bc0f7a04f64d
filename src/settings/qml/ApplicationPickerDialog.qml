import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme
import Tessaly.Settings

// The applications to ignore: the installed ones with icon, name and identifier, searchable,
// several at once; "Ignorar" adds the chosen ones, "Escolher arquivo…" takes a desktop entry
// file instead.
Dialog {
    id: dialog

    required property ApplicationPicker picker

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 460
    height: 560
    modal: true
    closePolicy: Popup.CloseOnEscape
    title: "Escolha os apps a ignorar"
    bottomPadding: 14
    onOpened: search.forceActiveFocus()

    header: Label {
        text: dialog.title
        font.bold: true
        font.pointSize: PanelTheme.points(13)
        padding: 14
        bottomPadding: 4
    }

    contentItem: ColumnLayout {
        spacing: 8

        TextField {
            id: search
            objectName: "pickerSearch"
            placeholderText: "Buscar apps"
            text: dialog.picker.filterText
            onTextEdited: dialog.picker.filterText = text
            Layout.fillWidth: true
            Accessible.name: "Buscar apps"
        }

        Frame {
            padding: 1
            Layout.fillWidth: true
            Layout.fillHeight: true

            ListView {
                id: list
                objectName: "pickerList"
                anchors.fill: parent
                clip: true
                model: dialog.picker
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}

                delegate: ItemDelegate {
                    id: entry
                    required property int index
                    required property string bundleID
                    required property string name
                    required property url iconSource
                    required property bool chosen

                    width: ListView.view.width
                    highlighted: chosen
                    onClicked: dialog.picker.setChosen(index, !chosen)
                    // A screen reader reaches the row through its check box.
                    Accessible.ignored: true

                    contentItem: RowLayout {
                        spacing: 10
                        CheckBox {
                            id: box
                            checked: entry.chosen
                            focusPolicy: Qt.NoFocus
                            // Also flipped by assistive technology, which emits no click.
                            onCheckedChanged: {
                                if (checked === entry.chosen)
                                    return
                                dialog.picker.setChosen(entry.index, checked)
                                box.checked = Qt.binding(() => entry.chosen)
                            }
                            Accessible.name: entry.name + " (" + entry.bundleID + ")"
                        }
                        Item {
                            implicitWidth: 24
                            implicitHeight: 24
                            Image {
                                id: icon
                                anchors.fill: parent
                                visible: entry.iconSource.toString() !== "" && status === Image.Ready
                                source: entry.iconSource
                                sourceSize: Qt.size(24, 24)
                                fillMode: Image.PreserveAspectFit
                            }
                            SymbolIcon {
                                anchors.fill: parent
                                visible: !icon.visible
                                symbol: "app.dashed"
                                size: 24
                                color: PanelTheme.secondary
                            }
                        }
                        ColumnLayout {
                            spacing: 0
                            Layout.fillWidth: true
                            Text {
                                text: entry.name
                                color: entry.highlighted ? PanelTheme.accentText : PanelTheme.primary
                                font.pointSize: PanelTheme.points(13)
                                elide: Text.ElideRight
                                textFormat: Text.PlainText
                                Layout.fillWidth: true
                            }
                            Text {
                                text: entry.bundleID
                                color: entry.highlighted ? PanelTheme.accentText : PanelTheme.secondary
                                font.pointSize: PanelTheme.points(11)
                                elide: Text.ElideMiddle
                                textFormat: Text.PlainText
                                Layout.fillWidth: true
                            }
                        }
                    }
                }

                Label {
                    anchors.centerIn: parent
                    visible: list.count === 0
                    text: dialog.picker.isLoading ? "Procurando apps…" : "Nenhum app encontrado"
                    color: PanelTheme.secondary
                }
            }
        }
    }

    footer: RowLayout {
        spacing: 8
        Item { implicitWidth: 4 }
        Button {
            objectName: "pickerFileButton"
            text: "Escolher arquivo…"
            onClicked: {
                dialog.close()
                dialog.picker.chooseFiles()
            }
        }
        Item { Layout.fillWidth: true }
        Button {
            objectName: "pickerCancelButton"
            text: "Cancelar"
            onClicked: dialog.reject()
            Accessible.onPressAction: dialog.reject()
        }
        Button {
            objectName: "pickerConfirmButton"
            text: "Ignorar"
            highlighted: true
            enabled: dialog.picker.chosenCount > 0
            onClicked: dialog.accept()
            Accessible.onPressAction: if (enabled) dialog.accept()
        }
        Item { implicitWidth: 4 }
    }
    Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.25) }
    onAccepted: picker.confirm()
}
