import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tessaly.Theme
import Tessaly.Settings

// The settings form: one scrolling column of titled groups — the welcome (first launch only),
// the shortcut, the behaviour, the permissions, privacy and the stored data.
Rectangle {
    id: form

    required property SettingsView view
    readonly property AppSettings settings: view.settings

    color: PanelTheme.window

    // A switch shows the value it stands for again after the user flips it, so that a refused
    // change snaps back.
    function rebind(control, read) {
        control.checked = Qt.binding(read)
    }

    ScrollView {
        id: scroll
        objectName: "settingsScroll"
        anchors.fill: parent
        contentWidth: availableWidth
        clip: true

        ColumnLayout {
            id: column
            width: scroll.availableWidth
            spacing: 18

            Item { implicitHeight: 2 }

            // The welcome.
            RowLayout {
                objectName: "welcomeSection"
                visible: form.view.state.showWelcome
                spacing: 14
                Layout.fillWidth: true
                Layout.leftMargin: 22
                Layout.rightMargin: 22

                Image {
                    source: "qrc:/tessaly/br.com.norvale.tessaly.svg"
                    sourceSize: Qt.size(60, 60)
                    Layout.preferredWidth: 60
                    Layout.preferredHeight: 60
                    Layout.alignment: Qt.AlignTop
                    Accessible.ignored: true
                }
                ColumnLayout {
                    spacing: 5
                    Layout.fillWidth: true
                    Text {
                        text: "Bem-vindo ao Tessaly"
                        font.pointSize: PanelTheme.points(15)
                        font.weight: Font.DemiBold
                        color: PanelTheme.primary
                        textFormat: Text.PlainText
                    }
                    Text {
                        objectName: "welcomeText"
                        text: form.view.welcomeText
                        textFormat: Text.StyledText
                        wrapMode: Text.Wrap
                        color: PanelTheme.secondary
                        font.pointSize: PanelTheme.points(13)
                        Layout.fillWidth: true
                    }
                    Text {
                        text: form.view.whereText
                        wrapMode: Text.Wrap
                        color: PanelTheme.secondary
                        font.pointSize: PanelTheme.points(12)
                        textFormat: Text.PlainText
                        Layout.fillWidth: true
                    }
                }
            }

            ColumnLayout {
                spacing: 18
                Layout.fillWidth: true
                Layout.leftMargin: 18
                Layout.rightMargin: 18

                SettingsSection {
                    title: "Atalho"

                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            text: "Abrir histórico"
                            color: PanelTheme.primary
                            font.pointSize: PanelTheme.points(13)
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                        }
                        HotKeyRecorderControl {
                            id: recorderControl
                            recorder: form.view.recorder
                        }
                    }
                    RowLayout {
                        objectName: "hotKeyWarning"
                        visible: !form.settings.hotKeyRegistered
                        spacing: 6
                        Layout.fillWidth: true
                        Item {
                            implicitWidth: 14
                            implicitHeight: 14
                            SymbolIcon {
                                anchors.fill: parent
                                symbol: "exclamationmark.triangle.fill"
                                size: 14
                                color: PanelTheme.orange
                                Accessible.ignored: true
                            }
                        }
                        Text {
                            text: "Esse atalho já está em uso por outro app. Escolha outro."
                            color: PanelTheme.orange
                            font.pointSize: PanelTheme.points(13)
                            wrapMode: Text.Wrap
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                        }
                    }
                    Text {
                        text: "Em alguns apps (Chrome, Slack, Notion) ⇧⌘V é “colar sem formatação”. No painel do Tessaly, use ⇧↩ para colar como texto puro."
                        color: PanelTheme.secondary
                        font.pointSize: PanelTheme.points(12)
                        wrapMode: Text.Wrap
                        textFormat: Text.PlainText
                        Layout.fillWidth: true
                    }
                }

                SettingsSection {
                    title: "Comportamento"

                    SettingsSwitch {
                        id: autoPaste
                        text: "Colar automaticamente ao escolher um item"
                        checked: form.settings.autoPaste
                        onCheckedChanged: {
                            if (checked !== form.settings.autoPaste)
                                form.settings.autoPaste = checked
                        }
                    }
                    SettingsPicker {
                        objectName: "panelPositionPicker"
                        text: "Abrir o painel"
                        model: form.view.panelPositionOptions
                        currentIndex: form.view.panelPositionIndex
                        onActivated: index => form.view.panelPositionIndex = index
                    }
                    SettingsPicker {
                        objectName: "maxItemsPicker"
                        text: "Guardar até"
                        model: form.view.maxItemsOptions
                        currentIndex: form.view.maxItemsIndex
                        onActivated: index => form.view.maxItemsIndex = index
                    }
                    SettingsSwitch {
                        id: launchSwitch
                        objectName: "launchAtLoginSwitch"
                        text: "Abrir ao iniciar sessão"
                        checked: form.view.launchAtLogin
                        onCheckedChanged: {
                            if (checked === form.view.launchAtLogin)
                                return
                            form.view.setLaunchAtLoginEnabled(checked)
                            form.rebind(launchSwitch, () => form.view.launchAtLogin)
                        }
                    }
                    RowLayout {
                        visible: form.view.launchNeedsApproval
                        Layout.fillWidth: true
                        Text {
                            text: "Aprovação pendente em Itens de Início."
                            color: PanelTheme.secondary
                            font.pointSize: PanelTheme.points(13)
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                        }
                    }
                    Text {
                        objectName: "launchError"
                        visible: form.view.launchError !== ""
                        text: form.view.launchError
                        color: PanelTheme.destructive
                        font.pointSize: PanelTheme.points(12)
                        wrapMode: Text.Wrap
                        textFormat: Text.PlainText
                        Layout.fillWidth: true
                    }
                }

                SettingsSection {
                    title: "Permissões"

                    PermissionRow {
                        title: form.view.accessibilityTitle
                        detail: form.view.accessibilityDetail
                        granted: form.view.accessibilityTrusted
                        actionTitle: "Permitir…"
                        onAction: form.view.requestAccessibility()
                    }
                    PermissionRow {
                        title: form.view.pasteboardTitle
                        detail: form.view.pasteboardDetail
                        granted: form.view.pasteboardAllowed
                        actionTitle: "Abrir Ajustes…"
                        onAction: form.view.openPasteboardSettings()
                    }
                }

                SettingsSection {
                    title: "Privacidade"
                    footer: "O que for copiado nesses apps não entra no histórico."

                    SettingsSwitch {
                        text: "Ignorar senhas e conteúdo marcado como sigiloso"
                        checked: form.settings.ignoreConcealed
                        onCheckedChanged: {
                            if (checked !== form.settings.ignoreConcealed)
                                form.settings.ignoreConcealed = checked
                        }
                    }
                    Repeater {
                        objectName: "ignoredApps"
                        model: form.view.ignoredApps
                        delegate: IgnoredAppRow {
                            required property var modelData
                            bundleID: modelData.bundleID
                            name: modelData.name
                            iconSource: modelData.iconSource
                            onRemove: form.view.removeIgnoredApp(bundleID)
                        }
                    }
                    Button {
                        objectName: "addAppButton"
                        text: "Adicionar app…"
                        onClicked: form.view.addIgnoredApp()
                        Accessible.onPressAction: form.view.addIgnoredApp()
                    }
                }

                SettingsSection {
                    title: "Dados"
                    footer: form.view.footerText

                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            text: "Itens guardados"
                            color: PanelTheme.primary
                            font.pointSize: PanelTheme.points(13)
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                        }
                        Text {
                            objectName: "storedItems"
                            text: form.view.storedItemsText
                            color: PanelTheme.secondary
                            font.pointSize: PanelTheme.points(13)
                            textFormat: Text.PlainText
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 8
                        Button {
                            objectName: "revealButton"
                            text: "Mostrar no gerenciador de arquivos"
                            onClicked: form.view.revealHistoryFolder()
                            Accessible.onPressAction: form.view.revealHistoryFolder()
                        }
                        Item { Layout.fillWidth: true }
                        Button {
                            objectName: "clearButton"
                            text: "Limpar histórico"
                            enabled: form.view.canClearHistory
                            onClicked: form.view.clearHistory()
                            Accessible.onPressAction: if (enabled) form.view.clearHistory()
                        }
                        Button {
                            objectName: "wipeButton"
                            text: "Apagar tudo…"
                            enabled: form.view.canWipeHistory
                            palette.buttonText: enabled ? PanelTheme.destructive
                                                        : PanelTheme.tertiary
                            onClicked: form.view.confirmWipe = true
                            Accessible.onPressAction: if (enabled) form.view.confirmWipe = true
                        }
                    }
                    Button {
                        objectName: "quitButton"
                        visible: !form.view.hasTray
                        text: "Sair do Tessaly"
                        onClicked: form.view.quit()
                        Accessible.onPressAction: form.view.quit()
                    }
                }
            }

            Item { implicitHeight: 6 }
        }
    }

    WipeConfirmation {
        objectName: "wipeConfirmation"
        view: form.view
    }

    ApplicationPickerDialog {
        id: pickerDialog
        objectName: "applicationPicker"
        picker: form.view.picker
    }

    // Each showing starts with the keyboard on the shortcut.
    Connections {
        target: form.Window.window
        function onVisibleChanged() {
            if (form.Window.window.visible)
                recorderControl.takeFocus()
            else
                pickerDialog.close() // its search field would keep a blinking cursor
        }
        function onActiveFocusItemChanged() {
            form.revealFocusedControl()
        }
    }

    // The control that takes the keyboard (Tab) scrolls into view.
    function revealFocusedControl() {
        const focused = form.Window.activeFocusItem
        let ancestor = focused
        while (ancestor && ancestor !== column)
            ancestor = ancestor.parent
        if (!ancestor)
            return
        const flickable = scroll.contentItem
        const top = focused.mapToItem(column, 0, 0).y
        const margin = 12
        if (top < flickable.contentY)
            flickable.contentY = Math.max(0, top - margin)
        else if (top + focused.height > flickable.contentY + flickable.height)
            flickable.contentY = Math.min(column.height - flickable.height,
                                          top + focused.height - flickable.height + margin)
    }

    Connections {
        target: form.view
        function onApplicationPickerRequested() {
            pickerDialog.open()
        }
    }
}
