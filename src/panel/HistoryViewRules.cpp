#include "panel/HistoryViewRules.h"

#include "panel/ClipFilter.h"

#include <algorithm>

namespace tessaly::HistoryViewRules {

namespace {

bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

QList<FilterChoice> filterChoices()
{
    QList<FilterChoice> choices;
    choices.reserve(qsizetype(allClipFilters.size()));
    for (ClipFilter filter : allClipFilters)
        choices.append({clipFilterName(filter), clipFilterLabel(filter)});
    return choices;
}

QString filterLabel(const QString &filter)
{
    const std::optional<ClipFilter> known = clipFilterFromName(filter);
    return known ? clipFilterLabel(*known) : QString();
}

bool isSearching(const QString &query)
{
    return !std::all_of(query.cbegin(), query.cend(), isSpaceOrTab);
}

EmptyState emptyState(const QString &query, const QString &filter)
{
    if (isSearching(query)) {
        return {QStringLiteral("magnifyingglass"), QStringLiteral("Nenhum resultado"),
                QStringLiteral("Nada encontrado para “%1”.").arg(query)};
    }
    const QString hint = QStringLiteral(
        "Copie algo com ⌘C e ele aparece aqui.\nFixe itens para mantê-los ao limpar.");
    if (filter != QStringLiteral("all") && !filterLabel(filter).isEmpty())
        return {QStringLiteral("clipboard"), QStringLiteral("Nada em ") + filterLabel(filter),
                hint};
    return {QStringLiteral("clipboard"), QStringLiteral("Nada copiado ainda"), hint};
}

bool hasUnpinnedItems(const QList<ClipItem> &items)
{
    return std::any_of(items.cbegin(), items.cend(), [](const ClipItem &i) { return !i.pinned; });
}

QString accessibilityPageName()
{
    return QStringLiteral("Acessibilidade");
}

QString bannerTitle()
{
    return QStringLiteral("Colar automático indisponível");
}

QString bannerMessage()
{
    return QStringLiteral("Permita o Tessaly em ") + accessibilityPageName() +
           QStringLiteral(". Até lá, o item só é copiado.");
}

} // namespace tessaly::HistoryViewRules
