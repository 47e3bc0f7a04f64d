#pragma once

#include "history/ClipRecords.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace tessaly {

// What a clip card shows around its content and what its controls and context menu offer,
// kept apart from the QML that draws it.
namespace ClipCardRules {

// The text of `date` relative to `reference` ("há 5 min"), as the desktop's formatter gives it.
using RelativeText = std::function<QString(Instant date, Instant reference)>;

// The name shown for an entry whose source application is unknown.
QString unknownAppName();

// Below this many seconds since its last use an entry is "agora".
inline constexpr double recentSeconds = 10.0;

// The age of an entry: "agora" when it was used less than ten seconds before `now` (or after
// it); otherwise the relative text of `lastUsedAt` against `now`.
QString ageText(Instant lastUsedAt, Instant now, const RelativeText &relativeText);

// The keyboard shortcut badge of the card at `index` in the visible list: "⌘1" … "⌘9" for the
// first nine cards, none after.
std::optional<QString> shortcutBadge(qsizetype index);

// The texts of the meta row, left to right, to be separated by middle dots: the application
// name (or "Desconhecido"), the age, and the detail when there is one.
QStringList metaPieces(const std::optional<QString> &sourceAppName, const QString &age,
                       const std::optional<QString> &detail);

// The pin button of a card's controls.
struct PinControl
{
    QString symbol;
    bool orange = false;
    QString help;
};
PinControl pinControl(bool pinned);

// The delete button of a card's controls.
QString deleteSymbol();
QString deleteHelp();

// One item of a card's context menu.
struct MenuEntry
{
    enum class Action
    {
        Separator,
        Paste,
        PastePlainText,
        TogglePin,
        RevealFiles,
        OpenLink,
        Delete
    };

    Action action = Action::Separator;
    QString text;
    bool destructive = false;

    friend bool operator==(const MenuEntry &, const MenuEntry &) = default;
};

// The URL that "Abrir link" opens: the entry's trimmed text when it reads as an absolute URL.
std::optional<QUrl> linkURL(const ClipItem &item);

// The context menu of a card, for the entry's current state.
QList<MenuEntry> contextMenu(const ClipItem &item);

// The stable name of a menu action, as the QML names it.
QString actionName(MenuEntry::Action action);

} // namespace ClipCardRules
} // namespace tessaly
