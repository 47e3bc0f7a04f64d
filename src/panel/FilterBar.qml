import QtQuick
import Tessaly.Panel
import Tessaly.Theme

// The filter bar: one chip per filter, in order. `filter` is the active filter's value.
Row {
    id: bar

    property string filter

    signal chosen(string value)

    spacing: 4

    Repeater {
        model: ViewRules.filterChoices

        FilterChip {
            required property var modelData
            objectName: "filterChip_" + modelData.value
            text: modelData.label
            active: bar.filter === modelData.value
            onClicked: bar.chosen(modelData.value)
        }
    }
}
