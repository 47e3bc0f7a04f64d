#pragma once

#include "history/ClipRecords.h"
#include "hotkey/HotKeyCombo.h"

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace tessaly {

// What a tray-menu item does when chosen.
enum class StatusAction
{
    ShowHistory,
    ChooseItem,
    TogglePause,
    ClearHistory,
    OpenSettings,
    Quit
};

// One row of the tray menu, as the menu shows it.
struct StatusMenuEntry
{
    enum class Type
    {
        Item,
        Separator,
        Header
    };

    Type type = Type::Item;
    QString title;
    // The symbol's interface name ("pin", "photo" …); empty for none.
    QString symbol;
    QKeySequence shortcut;
    bool enabled = true;
    StatusAction action = StatusAction::ShowHistory;
    // The entry a ChooseItem row pastes.
    QUuid itemID;

    friend bool operator==(const StatusMenuEntry &, const StatusMenuEntry &) = default;
};

// What the tray menu is made of at one opening.
struct StatusMenuState
{
    // The whole history, in the store's order.
    QList<ClipItem> items;
    bool paused = false;
    HotKeyCombo hotKey;
    // What the current keyboard layout types on the hot key's key; absent when nothing.
    std::optional<QString> hotKeyCharacter;
};

namespace StatusMenu {

// The number of history entries the menu lists.
inline constexpr qsizetype listedItems = 10;

// The menu, top to bottom: "Mostrar histórico" with the hot key, a heading, the first ten
// entries (keys 1 to 9), pause or resume, "Limpar histórico" (only with an unpinned entry),
// "Ajustes…" and "Sair do Tessaly".
QList<StatusMenuEntry> build(const StatusMenuState &state);

// The symbol of an entry's row: "pin" when pinned, else its kind's.
QString symbolFor(const ClipItem &item);

// The hot key as the menu shows it: the layout's character on that key with the combination's
// modifiers (⌘ is Ctrl, ⌥ Alt, ⌃ the Super key); empty without a character.
QKeySequence hotKeySequence(const HotKeyCombo &combo, const std::optional<QString> &character);

} // namespace StatusMenu
} // namespace tessaly
