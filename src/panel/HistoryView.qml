import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Panel
import Tessaly.Theme
import Tessaly.Cards

/*
  The content of the history panel: header, search field, filter bar, accessibility banner,
  the list of entries (or an empty state) and the footer's key hints, at the panel's size.

  It reads and drives `panelModel` (PanelViewModel: the search text, the filter, the
  selection, the openings, the banner, the cards' reference time, the listed entries and the
  actions on them).

  The view sets `query` as the user types (then calls selectFirst()), sets `filter` from the
  chips (then calls selectFirst()), focuses the search field at every opening, scrolls the
  selected card into view and scrolls back to the top at every opening.
*/
Item {
    id: view

    required property PanelViewModel panelModel
    // Whether the view paints the panel's rounded background itself.
    property bool drawsBackground: true

    readonly property alias list: list
    readonly property alias searchField: search

    function focusSearch() {
        Qt.callLater(search.focusField)
    }

    implicitWidth: ViewRules.panelSize.width
    implicitHeight: ViewRules.panelSize.height

    // The search field has the keyboard while the panel is shown. A hidden panel keeps no
    // focused field: its blinking cursor would wake the program twice a second for nothing.
    Component.onCompleted: {
        if (Window.window && Window.window.visible)
            focusSearch()
    }

    Connections {
        target: view.Window.window
        function onVisibleChanged() {
            if (view.Window.window.visible)
                view.focusSearch()
            else
                search.field.focus = false
        }
    }

    Connections {
        target: view.panelModel

        function onOpenTokenChanged() {
            view.focusSearch()
            if (list.count > 0)
                list.scrollToTop()
        }
        function onQueryChanged() {
            view.panelModel.selectFirst()
        }
        function onSelectedIDChanged() {
            if (view.panelModel.selectedID !== "")
                Qt.callLater(list.revealSelection)
        }
    }

    Rectangle {
        visible: view.drawsBackground
        anchors.fill: parent
        radius: 14
        color: PanelTheme.window
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        PanelHeader {
            Layout.fillWidth: true
            canClear: view.panelModel.hasUnpinnedItems
            onClearAll: view.panelModel.clearAll()
            onOpenSettings: view.panelModel.openSettings()
        }

        SearchField {
            id: search
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            text: view.panelModel.query
            onEdited: text => view.panelModel.query = text
        }

        FilterBar {
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            Layout.topMargin: 8
            Layout.bottomMargin: 6
            filter: view.panelModel.filter
            onChosen: value => {
                if (view.panelModel.filter !== value)
                    view.panelModel.filter = value
                view.panelModel.selectFirst()
            }
        }

        AccessibilityBanner {
            objectName: "accessibilityBanner"
            visible: !view.panelModel.accessibilityTrusted
            Layout.fillWidth: true
            Layout.leftMargin: 12
            Layout.rightMargin: 12
            Layout.bottomMargin: 6
            onAllow: view.panelModel.requestAccessibility()
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            EmptyState {
                objectName: "emptyState"
                anchors.fill: parent
                visible: list.count === 0
                query: view.panelModel.query
                filter: view.panelModel.filter
            }

            ListView {
                id: list
                objectName: "historyList"
                anchors.fill: parent
                visible: count > 0
                clip: true
                model: view.panelModel.items
                spacing: 6
                topMargin: 2
                bottomMargin: 8
                leftMargin: 10
                rightMargin: 10
                currentIndex: -1
                keyNavigationEnabled: false
                highlightFollowsCurrentItem: false
                boundsBehavior: Flickable.StopAtBounds
                reuseItems: false

                ScrollBar.vertical: ScrollBar {
                    policy: ScrollBar.AsNeeded
                }

                // The first card at the top, as when the list was first shown.
                function scrollToTop() {
                    scrollAnimation.stop()
                    positionViewAtBeginning()
                    contentY = originY - topMargin
                }

                // Scrolls the least needed to show the selected card, briefly animated.
                function revealSelection() {
                    const row = model ? model.rowOf(view.panelModel.selectedID) : -1
                    if (row < 0)
                        return
                    scrollAnimation.stop()
                    const from = contentY
                    positionViewAtIndex(row, ListView.Contain)
                    const to = contentY
                    if (Math.abs(to - from) < 0.5)
                        return
                    contentY = from
                    scrollAnimation.from = from
                    scrollAnimation.to = to
                    scrollAnimation.start()
                }

                NumberAnimation {
                    id: scrollAnimation
                    objectName: "scrollAnimation"
                    target: list
                    property: "contentY"
                    duration: 120
                    easing.type: Easing.OutCubic
                }

                delegate: ClipCard {
                    id: card
                    width: ListView.view.width - ListView.view.leftMargin
                           - ListView.view.rightMargin
                    isSelected: clipID === view.panelModel.selectedID
                    now: view.panelModel.now
                    onPasteRequested: plainText => view.panelModel.paste(card.clipID, plainText)
                    onTogglePinRequested: view.panelModel.togglePin(card.clipID)
                    onRemoveRequested: view.panelModel.remove(card.clipID)
                }
            }
        }

        PanelFooter {
            Layout.fillWidth: true
        }
    }

    // The panel's outline, over everything.
    Rectangle {
        anchors.fill: parent
        radius: 14
        color: "transparent"
        border.width: 0.5
        border.color: PanelTheme.withOpacity(PanelTheme.primary, 0.14)
    }
}
