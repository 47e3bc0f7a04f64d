#include "app/StatusMenu.h"

#include <algorithm>

namespace tessaly::StatusMenu {

namespace {

StatusMenuEntry item(const QString &title, StatusAction action, const QString &symbol = {},
                     const QKeySequence &shortcut = {})
{
    StatusMenuEntry entry;
    entry.title = title;
    entry.action = action;
    entry.symbol = symbol;
    entry.shortcut = shortcut;
    return entry;
}

StatusMenuEntry separator()
{
    StatusMenuEntry entry;
    entry.type = StatusMenuEntry::Type::Separator;
    entry.enabled = false;
    return entry;
}

StatusMenuEntry header(const QString &title)
{
    StatusMenuEntry entry;
    entry.type = StatusMenuEntry::Type::Header;
    entry.title = title;
    entry.enabled = false;
    return entry;
}

} // namespace

QString symbolFor(const ClipItem &item)
{
    if (item.pinned)
        return QStringLiteral("pin");
    switch (item.kind) {
    case ClipKind::Link:
        return QStringLiteral("link");
    case ClipKind::Color:
        return QStringLiteral("paintpalette");
    case ClipKind::Image:
        return QStringLiteral("photo");
    case ClipKind::File:
        return QStringLiteral("doc");
    default:
        return QStringLiteral("text.alignleft");
    }
}

QKeySequence hotKeySequence(const HotKeyCombo &combo, const std::optional<QString> &character)
{
    if (!character || character->size() != 1)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (combo.hasShift())
        modifiers |= Qt::ShiftModifier;
    if (combo.hasCommand())
        modifiers |= Qt::ControlModifier;
    if (combo.hasOption())
        modifiers |= Qt::AltModifier;
    if (combo.hasControl())
        modifiers |= Qt::MetaModifier;
    // Qt names a character key by its upper-case code point.
    const auto key = Qt::Key(character->toUpper().at(0).unicode());
    return QKeySequence(QKeyCombination(modifiers, key));
}

QList<StatusMenuEntry> build(const StatusMenuState &state)
{
    QList<StatusMenuEntry> menu;
    menu.append(item(QStringLiteral("Mostrar histórico"), StatusAction::ShowHistory, {},
                     hotKeySequence(state.hotKey, state.hotKeyCharacter)));
    menu.append(separator());
    menu.append(header(state.items.isEmpty() ? QStringLiteral("Nenhum item copiado")
                                             : QStringLiteral("Recentes")));
    const qsizetype listed = std::min(state.items.size(), listedItems);
    for (qsizetype position = 0; position < listed; ++position) {
        const ClipItem &clip = state.items[position];
        const QString title = clip.menuTitle();
        StatusMenuEntry entry = item(title.isEmpty() ? QStringLiteral("(vazio)") : title,
                                     StatusAction::ChooseItem, symbolFor(clip));
        if (position < 9)
            entry.shortcut = QKeySequence(Qt::Key(Qt::Key_1 + position));
        entry.itemID = clip.id;
        menu.append(entry);
    }
    menu.append(separator());
    menu.append(state.paused ? item(QStringLiteral("Retomar captura"), StatusAction::TogglePause,
                                    QStringLiteral("play.circle"))
                             : item(QStringLiteral("Pausar captura"), StatusAction::TogglePause,
                                    QStringLiteral("pause.circle")));
    StatusMenuEntry clear = item(QStringLiteral("Limpar histórico"), StatusAction::ClearHistory);
    clear.enabled = std::any_of(state.items.cbegin(), state.items.cend(),
                                [](const ClipItem &clip) { return !clip.pinned; });
    menu.append(clear);
    menu.append(separator());
    menu.append(item(QStringLiteral("Ajustes…"), StatusAction::OpenSettings, {},
                     QKeySequence(Qt::ControlModifier | Qt::Key_Comma)));
    menu.append(item(QStringLiteral("Sair do Tessaly"), StatusAction::Quit, {},
                     QKeySequence(Qt::ControlModifier | Qt::Key_Q)));
    return menu;
}

} // namespace tessaly::StatusMenu
