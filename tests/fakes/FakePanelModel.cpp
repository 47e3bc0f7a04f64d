#include "fakes/FakePanelModel.h"

#include "panel/ClipFilter.h"

namespace tessaly::test {

FakePanelModel::FakePanelModel(QObject *parent) : PanelViewModel(parent) {}

void FakePanelModel::setQuery(const QString &query)
{
    if (query == m_query)
        return;
    m_query = query;
    refresh();
    Q_EMIT queryChanged();
}

void FakePanelModel::setFilterName(const QString &filter)
{
    if (filter == m_filter || !clipFilterFromName(filter))
        return;
    m_filter = filter;
    refresh();
    Q_EMIT filterChanged();
}

void FakePanelModel::setSelectedID(const QString &id)
{
    if (id == m_selectedID)
        return;
    m_selectedID = id;
    Q_EMIT selectedIDChanged();
}

void FakePanelModel::setAccessibilityTrusted(bool trusted)
{
    if (trusted == m_accessibilityTrusted)
        return;
    m_accessibilityTrusted = trusted;
    Q_EMIT accessibilityTrustedChanged();
}

void FakePanelModel::setNow(const QDateTime &now)
{
    if (now == m_now)
        return;
    m_now = now;
    Q_EMIT nowChanged();
}

void FakePanelModel::setEntries(const QList<ClipItem> &entries)
{
    m_entries = entries;
    refresh();
}

void FakePanelModel::open()
{
    ++m_openToken;
    selectFirst();
    Q_EMIT openTokenChanged();
}

void FakePanelModel::refresh()
{
    const QString needle = m_query.trimmed();
    const ClipFilter filter = clipFilterFromName(m_filter).value_or(ClipFilter::All);
    QList<ClipItem> visible;
    for (const ClipItem &item : std::as_const(m_entries)) {
        if (clipFilterAdmits(filter, item) && (needle.isEmpty() || item.matches(needle)))
            visible.append(item);
    }
    m_visible.setItems(visible);
    const bool unpinned = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                      [](const ClipItem &i) { return !i.pinned; });
    if (unpinned != m_hasUnpinnedItems) {
        m_hasUnpinnedItems = unpinned;
        Q_EMIT hasUnpinnedItemsChanged();
    }
}

void FakePanelModel::selectFirst()
{
    const QList<ClipItem> &visible = m_visible.items();
    setSelectedID(visible.isEmpty() ? QString() : uuidText(visible.first().id));
}

void FakePanelModel::paste(const QString &id, bool plainText)
{
    calls.append(
        QStringLiteral("paste %1%2").arg(id, plainText ? QStringLiteral(" plain") : QString()));
}

void FakePanelModel::togglePin(const QString &id)
{
    calls.append(QStringLiteral("togglePin ") + id);
}

void FakePanelModel::remove(const QString &id)
{
    calls.append(QStringLiteral("delete ") + id);
}

void FakePanelModel::clearAll()
{
    calls.append(QStringLiteral("clearAll"));
}

void FakePanelModel::openSettings()
{
    calls.append(QStringLiteral("openSettings"));
}

void FakePanelModel::requestAccessibility()
{
    calls.append(QStringLiteral("requestAccessibility"));
}

} // namespace tessaly::test
