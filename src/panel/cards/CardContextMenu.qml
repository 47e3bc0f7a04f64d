import QtQuick
import Qt.labs.platform as Platform
import Tessaly.Theme
import Tessaly.Cards

// The context menu of a clip card, as a desktop popup menu: its items follow the entry's kind
// and state at the moment it opens. `triggered` names the chosen action ("paste",
// "pastePlainText", "togglePin", "revealFiles", "openLink" or "delete").
Platform.Menu {
    id: menu

    property var entries: []

    signal chosen(string action)

    Instantiator {
        model: menu.entries

        Platform.MenuItem {
            required property var modelData
            separator: modelData.separator
            text: modelData.text
            icon.source: modelData.destructive ? CardRules.tintedSymbol("trash", PanelTheme.destructive)
                                               : ""
            onTriggered: menu.chosen(modelData.action)
        }

        onObjectAdded: (index, object) => menu.insertItem(index, object)
        onObjectRemoved: (index, object) => menu.removeItem(object)
    }
}
