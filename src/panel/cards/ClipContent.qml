import QtQuick
import Tessaly.Theme
import Tessaly.Cards

// The upper part of a clip card: what the entry holds, laid out by its kind.
Item {
    id: content

    // The entry (the "entry" role of the list model) and its kind's stored name.
    required property var entry
    required property string kind
    // What the row shows for its kind (roles of the list model).
    property string preview
    property string linkTitle
    property string linkText
    property color swatchColor: "transparent"
    property string colorLabel
    property string fileNames
    property string fileFolder

    implicitHeight: loader.item ? loader.item.implicitHeight : 0

    Loader {
        id: loader
        width: parent.width
        sourceComponent: {
            switch (content.kind) {
            case "link": return linkContent
            case "color": return colorContent
            case "image": return imageContent
            case "file": return fileContent
            default: return textContent
            }
        }
    }

    Component {
        id: textContent

        Text {
            objectName: "previewText"
            text: content.preview
            font.pointSize: PanelTheme.points(12.5)
            color: PanelTheme.primary
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            maximumLineCount: 5
            elide: Text.ElideRight
        }
    }

    Component {
        id: linkContent

        Item {
            implicitHeight: Math.max(16, linkColumn.implicitHeight)

            Item {
                width: 16
                height: 16
                SymbolIcon {
                    anchors.centerIn: parent
                    symbol: "link"
                    size: 15
                    color: PanelTheme.accent
                }
            }

            Column {
                id: linkColumn
                x: 24
                width: parent.width - x
                spacing: 2

                Text {
                    objectName: "linkTitle"
                    width: parent.width
                    text: content.linkTitle
                    font.pointSize: PanelTheme.points(12.5)
                    font.weight: Font.DemiBold
                    color: PanelTheme.primary
                    textFormat: Text.PlainText
                    maximumLineCount: 1
                    elide: Text.ElideRight
                }
                Text {
                    id: address
                    objectName: "linkAddress"
                    width: parent.width
                    text: CardRules.elidedLink(content.linkText, font, width, 2)
                    font.pointSize: PanelTheme.points(11.5)
                    color: PanelTheme.secondary
                    textFormat: Text.PlainText
                    wrapMode: Text.WrapAnywhere
                    maximumLineCount: 2
                }
            }
        }
    }

    Component {
        id: colorContent

        Row {
            spacing: 10

            Rectangle {
                objectName: "swatch"
                anchors.verticalCenter: parent.verticalCenter
                width: 26
                height: 26
                radius: 6
                color: content.swatchColor
                border.width: 0.5
                border.color: PanelTheme.withOpacity(PanelTheme.primary, 0.15)
            }
            Text {
                objectName: "colorLabel"
                anchors.verticalCenter: parent.verticalCenter
                text: content.colorLabel
                font.family: "monospace"
                font.pointSize: PanelTheme.points(13)
                font.weight: Font.Medium
                color: PanelTheme.primary
                textFormat: Text.PlainText
            }
        }
    }

    Component {
        id: imageContent

        Item {
            readonly property url source: CardServices.thumbnailSource(content.entry)
            readonly property size displaySize: CardServices.imageDisplaySize(content.entry)

            implicitHeight: source.toString() === "" ? missing.implicitHeight : displaySize.height

            Row {
                id: missing
                objectName: "imageMissing"
                visible: parent.source.toString() === ""
                spacing: 5

                SymbolIcon {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "photo"
                    size: 14
                    color: PanelTheme.secondary
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: "Imagem"
                    font.pointSize: PanelTheme.points(12.5)
                    color: PanelTheme.secondary
                }
            }

            Image {
                objectName: "thumbnail"
                visible: parent.source.toString() !== ""
                width: parent.displaySize.width
                height: parent.displaySize.height
                source: parent.source
                sourceSize: parent.displaySize
                fillMode: Image.Stretch
                smooth: true
                cache: false

                Rectangle {
                    anchors.fill: parent
                    radius: 6
                    color: "transparent"
                    border.width: 0.5
                    border.color: PanelTheme.withOpacity(PanelTheme.primary, 0.1)
                }
            }
        }
    }

    Component {
        id: fileContent

        Item {
            readonly property url iconSource: CardServices.fileIconSource(content.entry)

            implicitHeight: Math.max(iconSource.toString() === "" ? 0 : 30, fileColumn.implicitHeight)

            Image {
                id: fileIcon
                objectName: "fileIcon"
                visible: parent.iconSource.toString() !== ""
                anchors.verticalCenter: parent.verticalCenter
                width: 30
                height: 30
                source: parent.iconSource
                sourceSize: Qt.size(30, 30)
                smooth: true
            }

            Column {
                id: fileColumn
                x: fileIcon.visible ? 39 : 0
                width: parent.width - x
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2

                Text {
                    objectName: "fileNames"
                    width: parent.width
                    text: content.fileNames
                    font.pointSize: PanelTheme.points(12.5)
                    font.weight: Font.Medium
                    color: PanelTheme.primary
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                }
                Text {
                    objectName: "fileFolder"
                    width: parent.width
                    text: content.fileFolder
                    font.pointSize: PanelTheme.points(11)
                    color: PanelTheme.secondary
                    textFormat: Text.PlainText
                    maximumLineCount: 1
                    elide: Text.ElideMiddle
                }
            }
        }
    }
}
