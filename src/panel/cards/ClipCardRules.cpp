#include "panel/cards/ClipCardRules.h"

namespace tessaly::ClipCardRules {

QString unknownAppName()
{
    return QStringLiteral("Desconhecido");
}

QString ageText(Instant lastUsedAt, Instant now, const RelativeText &relativeText)
{
    // A date after `now` (a clock that went back, an entry used while the panel was open) is
    // recent too.
    if (now.secondsSince(lastUsedAt) < recentSeconds || !relativeText)
        return QStringLiteral("agora");
    return relativeText(lastUsedAt, now);
}

std::optional<QString> shortcutBadge(qsizetype index)
{
    if (index < 0 || index > 8)
        return std::nullopt;
    return QStringLiteral("⌘%1").arg(index + 1);
}

QStringList metaPieces(const std::optional<QString> &sourceAppName, const QString &age,
                       const std::optional<QString> &detail)
{
    QStringList pieces{sourceAppName.value_or(unknownAppName()), age};
    if (detail)
        pieces.append(*detail);
    return pieces;
}

PinControl pinControl(bool pinned)
{
    if (pinned)
        return {QStringLiteral("pin.fill"), true, QStringLiteral("Desafixar (⌘P)")};
    return {QStringLiteral("pin"), false, QStringLiteral("Fixar (⌘P)")};
}

QString deleteSymbol()
{
    return QStringLiteral("trash");
}

QString deleteHelp()
{
    return QStringLiteral("Excluir (⌘⌫)");
}

std::optional<QUrl> linkURL(const ClipItem &item)
{
    if (!item.text)
        return std::nullopt;
    const QUrl url(item.text->toString().trimmed(), QUrl::StrictMode);
    // A relative reference (a bare word) names nothing that could be opened.
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    return url;
}

QList<MenuEntry> contextMenu(const ClipItem &item)
{
    using Action = MenuEntry::Action;
    QList<MenuEntry> entries{{Action::Paste, QStringLiteral("Colar")}};
    if (item.kind != ClipKind::Image)
        entries.append({Action::PastePlainText, QStringLiteral("Colar como texto puro")});
    entries.append({Action::Separator, {}});
    entries.append(
        {Action::TogglePin, item.pinned ? QStringLiteral("Desafixar") : QStringLiteral("Fixar")});
    if (item.kind == ClipKind::File && !item.fileURLs().isEmpty())
        entries.append({Action::RevealFiles, QStringLiteral("Mostrar no gerenciador de arquivos")});
    if (item.kind == ClipKind::Link && linkURL(item))
        entries.append({Action::OpenLink, QStringLiteral("Abrir link")});
    entries.append({Action::Separator, {}});
    entries.append({Action::Delete, QStringLiteral("Excluir"), true});
    return entries;
}

QString actionName(MenuEntry::Action action)
{
    switch (action) {
    case MenuEntry::Action::Separator:
        return QStringLiteral("separator");
    case MenuEntry::Action::Paste:
        return QStringLiteral("paste");
    case MenuEntry::Action::PastePlainText:
        return QStringLiteral("pastePlainText");
    case MenuEntry::Action::TogglePin:
        return QStringLiteral("togglePin");
    case MenuEntry::Action::RevealFiles:
        return QStringLiteral("revealFiles");
    case MenuEntry::Action::OpenLink:
        return QStringLiteral("openLink");
    case MenuEntry::Action::Delete:
        return QStringLiteral("delete");
    }
    return {};
}

} // namespace tessaly::ClipCardRules
