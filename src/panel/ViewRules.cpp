#include "panel/ViewRules.h"

#include "panel/HistoryViewRules.h"
#include "panel/PanelPlacement.h"

namespace tessaly {

ViewRules::ViewRules(QObject *parent) : QObject(parent) {}

QVariantList ViewRules::filterChoices() const
{
    QVariantList choices;
    for (const HistoryViewRules::FilterChoice &choice : HistoryViewRules::filterChoices()) {
        choices.append(QVariantMap{{QStringLiteral("value"), choice.value},
                                   {QStringLiteral("label"), choice.label}});
    }
    return choices;
}

QString ViewRules::bannerTitle() const
{
    return HistoryViewRules::bannerTitle();
}

QString ViewRules::bannerMessage() const
{
    return HistoryViewRules::bannerMessage();
}

QSizeF ViewRules::panelSize() const
{
    return {panelWidth, panelHeight};
}

QVariantMap ViewRules::emptyState(const QString &query, const QString &filter) const
{
    const HistoryViewRules::EmptyState state = HistoryViewRules::emptyState(query, filter);
    return {{QStringLiteral("symbol"), state.symbol},
            {QStringLiteral("title"), state.title},
            {QStringLiteral("subtitle"), state.subtitle}};
}

} // namespace tessaly
