#include "fakes/FakePanelModel.h"

namespace tessaly::test {

namespace {

bool admits(const QString &filter, const ClipItem &item)
{
    if (filter == QStringLiteral("text"))
        return item.kind == ClipKind::Text || item.kind == ClipKind::Color;
    if (filter == QStringLiteral("link"))
        return item.kind == ClipKind::Link;
    if (filter == QStringLiteral("image"))
        return item.kind == ClipKind::Image;
    if (filter == QStringLiteral("file"))
        return item.kind == ClipKind::File;
    if (filter == QStringLiteral("pinned"))
        return item.pinned;
    return true;
}

bool matches(const QString &query, const ClipItem &item)
{
    if (query.isEmpty())
        return true;
    return item.textString().value_or(QString()).contains(query, Qt::CaseInsensitive) ||
           item.sourceAppName.value_or(QString()).contains(query, Qt::CaseInsensitive);
}

} // namespace

FakePanelModel::FakePanelModel(QObject *parent) : QObject(parent) {}

bool FakePanelModel::hasUnpinnedItems() const
{
    return m_hasUnpinnedItems;
}

void FakePanelModel::setQuery(const QString &query)
{
    if (query == m_query)
        return;
    m_query = query;
    refresh();
    Q_EMIT queryChanged();
}

void FakePanelModel::setFilter(const QString &filter)
{
    if (filter == m_filter)
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

void FakePanelModel::setItems(const QList<ClipItem> &items)
{
    m_items = items;
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
    const QString trimmed = m_query.trimmed();
    QList<ClipItem> visible;
    for (const ClipItem &item : std::as_const(m_items)) {
        if (admits(m_filter, item) && matches(trimmed, item))
            visible.append(item);
    }
    m_visible.setItems(visible);
    const bool unpinned =
        std::any_of(m_items.cbegin(), m_items.cend(), [](const ClipItem &i) { return !i.pinned; });
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
