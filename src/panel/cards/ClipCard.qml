import QtQuick
import QtQuick.Layouts
import Tessaly.Theme
import Tessaly.Cards

// One history entry in the panel's list: its content above a meta row (source application,
// age, detail, then the pin mark and shortcut badge, or the pin and delete buttons while the
// card is hovered or selected). A click pastes the entry; a right click opens its menu.
Item {
    id: card

    // From the list model's row.
    required property var entry
    required property string clipID
    required property string kind
    required property bool pinned
    required property int index
    required property string preview
    required property string linkTitle
    required property string linkText
    required property color swatchColor
    required property string colorLabel
    required property string fileNames
    required property string fileFolder
    // The whole row, for what is read only when asked for (the context menu).
    required property var model

    // From the view.
    property bool isSelected: false
    property date now: new Date()

    // What the user asks of the entry; the list hands it to the panel's model.
    signal pasteRequested(bool plainText)
    signal togglePinRequested()
    signal removeRequested()

    readonly property bool hovering: hover.hovered
    readonly property bool showsControls: hovering || isSelected

    function paste(plainText) {
        pasteRequested(plainText)
    }
    function togglePin() {
        togglePinRequested()
    }
    function remove() {
        removeRequested()
    }
    function perform(action) {
        switch (action) {
        case "paste": paste(false); break
        case "pastePlainText": paste(true); break
        case "togglePin": togglePin(); break
        case "revealFiles": CardServices.revealFiles(entry); break
        case "openLink": CardServices.openLink(entry); break
        case "delete": remove(); break
        }
    }
    function openMenu() {
        const menu = menuComponent.createObject(card, { entries: card.model.menuEntries })
        menu.chosen.connect(perform)
        menu.aboutToHide.connect(() => Qt.callLater(menu.destroy))
        menu.open()
        return menu
    }

    implicitHeight: column.implicitHeight + 9 + 7

    Rectangle {
        objectName: "cardBackground"
        anchors.fill: parent
        radius: 10
        color: card.isSelected ? PanelTheme.withOpacity(PanelTheme.accent, 0.16)
                               : PanelTheme.withOpacity(PanelTheme.primary,
                                                        card.hovering ? 0.08 : 0.045)
        border.width: card.isSelected ? 1.5 : 0.5
        border.color: card.isSelected ? PanelTheme.withOpacity(PanelTheme.accent, 0.8)
                                      : PanelTheme.withOpacity(PanelTheme.primary, 0.07)
    }

    HoverHandler {
        id: hover
    }

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: mouse => {
            if (mouse.button === Qt.RightButton)
                card.openMenu()
            else
                card.paste(false)
        }
    }

    Component {
        id: menuComponent
        CardContextMenu {}
    }

    Column {
        id: column
        x: 11
        y: 9
        width: parent.width - 22
        spacing: 7

        ClipContent {
            width: parent.width
            entry: card.entry
            kind: card.kind
            preview: card.preview
            linkTitle: card.linkTitle
            linkText: card.linkText
            swatchColor: card.swatchColor
            colorLabel: card.colorLabel
            fileNames: card.fileNames
            fileFolder: card.fileFolder
        }

        RowLayout {
            id: meta
            objectName: "metaRow"
            width: parent.width
            height: 20
            spacing: 5

            readonly property var pieces: CardServices.metaPieces(card.entry, card.now)
            readonly property url appIcon: CardServices.appIconSource(card.entry)

            Image {
                objectName: "appIcon"
                visible: meta.appIcon.toString() !== ""
                source: meta.appIcon
                sourceSize: Qt.size(14, 14)
                Layout.preferredWidth: 14
                Layout.preferredHeight: 14
                Layout.alignment: Qt.AlignVCenter
                smooth: true
            }

            // The pieces with a middle dot between each two.
            Repeater {
                model: {
                    const texts = []
                    meta.pieces.forEach((piece, i) => {
                        if (i > 0)
                            texts.push("·")
                        texts.push(piece)
                    })
                    return texts
                }

                Text {
                    required property string modelData
                    required property int index
                    objectName: "metaPiece"
                    // The application's name gives way first when the row is short.
                    Layout.preferredWidth: implicitWidth
                    Layout.minimumWidth: index === 0 ? Math.min(implicitWidth, 40) : implicitWidth
                    Layout.alignment: Qt.AlignVCenter
                    text: modelData
                    font.pointSize: PanelTheme.points(10.5)
                    color: PanelTheme.secondary
                    textFormat: Text.PlainText
                    maximumLineCount: 1
                    elide: Text.ElideRight
                }
            }

            Item {
                Layout.fillWidth: true
                Layout.minimumWidth: 6
            }

            Row {
                objectName: "controls"
                visible: card.showsControls
                spacing: 2
                Layout.alignment: Qt.AlignVCenter

                CardIconButton {
                    objectName: "pinButton"
                    symbol: CardRules.pinSymbol(card.pinned)
                    tint: CardRules.pinIsOrange(card.pinned) ? PanelTheme.orange : null
                    help: CardRules.pinHelp(card.pinned)
                    onClicked: card.togglePin()
                }
                CardIconButton {
                    objectName: "deleteButton"
                    symbol: CardRules.deleteSymbol()
                    help: CardRules.deleteHelp()
                    onClicked: card.remove()
                }
            }

            Row {
                visible: !card.showsControls
                spacing: 5
                Layout.alignment: Qt.AlignVCenter

                SymbolIcon {
                    objectName: "pinMark"
                    visible: card.pinned
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "pin.fill"
                    size: 11
                    rotation: 40
                    color: PanelTheme.orange
                }
                Text {
                    objectName: "shortcutBadge"
                    visible: text !== ""
                    anchors.verticalCenter: parent.verticalCenter
                    text: CardRules.shortcutBadge(card.index)
                    font.pointSize: PanelTheme.points(10)
                    font.weight: Font.Medium
                    color: PanelTheme.tertiary
                    textFormat: Text.PlainText
                }
            }
        }
    }
}
