#include "panel/PanelModel.h"

#include "history/HistoryStore.h"
#include "panel/ClipListModel.h"
#include "panel/PanelActions.h"
#include "settings/AccessibilityPermission.h"
#include "settings/AppSettings.h"

#include <algorithm>

namespace tessaly {

namespace {

bool anyUnpinned(const QList<ClipItem> &items)
{
    return std::any_of(items.cbegin(), items.cend(),
                       [](const ClipItem &item) { return !item.pinned; });
}

} // namespace

PanelModel::PanelModel(HistoryStore &store, AppSettings &settings,
                       const AccessibilityPermission &accessibility, QObject *parent)
    : PanelViewModel(parent), m_store(store), m_settings(settings), m_accessibility(accessibility),
      m_items(new ClipListModel(this)), m_clock(&Instant::now), m_now(Instant::now()),
      m_hasUnpinnedItems(anyUnpinned(store.items()))
{
    connect(&m_store, &HistoryStore::itemsChanged, this, &PanelModel::onStoreChanged);
    refreshItems();
}

PanelModel::~PanelModel() = default;

void PanelModel::setQuery(const QString &query)
{
    if (query == m_query)
        return;
    m_query = query;
    refreshItems();
    Q_EMIT queryChanged();
}

void PanelModel::setFilter(ClipFilter filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    refreshItems();
    Q_EMIT filterChanged();
}

void PanelModel::setFilterName(const QString &name)
{
    if (const auto filter = clipFilterFromName(name))
        setFilter(*filter);
}

QVariantList PanelModel::filterOptions()
{
    QVariantList options;
    for (ClipFilter filter : allClipFilters) {
        options.append(QVariantMap{{QStringLiteral("name"), clipFilterName(filter)},
                                   {QStringLiteral("label"), clipFilterLabel(filter)}});
    }
    return options;
}

void PanelModel::setSelectedID(const std::optional<QUuid> &id)
{
    if (id == m_selectedID)
        return;
    m_selectedID = id;
    m_items->setSelectedID(id);
    Q_EMIT selectedIDChanged();
}

QString PanelModel::selectedIDText() const
{
    return m_selectedID ? uuidText(*m_selectedID) : QString();
}

void PanelModel::setActions(PanelActions *actions)
{
    m_actions = actions;
    QObject *object = dynamic_cast<QObject *>(actions);
    m_actionsObject = object;
    m_actionsIsObject = object != nullptr;
}

PanelActions *PanelModel::actions() const
{
    if (m_actionsIsObject && m_actionsObject.isNull())
        return nullptr;
    return m_actions;
}

void PanelModel::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QList<ClipItem> PanelModel::visibleItems() const
{
    // QString::trimmed() removes the Unicode white space at both ends, line breaks included.
    const QString needle = m_query.trimmed();
    QList<ClipItem> visible;
    for (const ClipItem &item : m_store.items()) {
        if (clipFilterAdmits(m_filter, item) && (needle.isEmpty() || item.matches(needle)))
            visible.append(item);
    }
    return visible;
}

std::optional<ClipItem> PanelModel::selectedItem() const
{
    if (!m_selectedID)
        return std::nullopt;
    for (const ClipItem &item : visibleItems()) {
        if (item.id == *m_selectedID)
            return item;
    }
    return std::nullopt;
}

void PanelModel::prepareForOpen()
{
    setQuery(QString());
    setFilter(ClipFilter::All);

    const Instant now = m_clock();
    if (now != m_now) {
        m_now = now;
        Q_EMIT nowChanged();
    }

    const bool trusted = !m_settings.autoPaste() || m_accessibility.isTrusted();
    if (trusted != m_accessibilityTrusted) {
        m_accessibilityTrusted = trusted;
        Q_EMIT accessibilityTrustedChanged();
    }

    const QList<ClipItem> &all = m_store.items();
    setSelectedID(all.isEmpty() ? std::nullopt : std::optional<QUuid>(all.first().id));

    ++m_openToken;
    Q_EMIT openTokenChanged();
}

void PanelModel::ensureSelection()
{
    const QList<ClipItem> visible = visibleItems();
    if (m_selectedID && std::any_of(visible.cbegin(), visible.cend(),
                                    [&](const ClipItem &item) { return item.id == *m_selectedID; }))
        return;
    setSelectedID(visible.isEmpty() ? std::nullopt : std::optional<QUuid>(visible.first().id));
}

void PanelModel::selectFirst()
{
    const QList<ClipItem> visible = visibleItems();
    setSelectedID(visible.isEmpty() ? std::nullopt : std::optional<QUuid>(visible.first().id));
}

void PanelModel::moveSelection(int delta)
{
    const QList<ClipItem> visible = visibleItems();
    if (visible.isEmpty())
        return;
    qsizetype current = -1;
    if (m_selectedID) {
        for (qsizetype i = 0; i < visible.size(); ++i) {
            if (visible[i].id == *m_selectedID) {
                current = i;
                break;
            }
        }
    }
    qsizetype target = std::max<qsizetype>(current + delta, 0);
    target = std::min<qsizetype>(target, visible.size() - 1);
    setSelectedID(visible[target].id);
}

void PanelModel::cycleFilter(bool forward)
{
    setFilter(cycledClipFilter(m_filter, forward));
    selectFirst();
}

std::optional<ClipItem> PanelModel::storedItem(const QString &itemId) const
{
    const auto id = uuidFromText(itemId);
    if (!id)
        return std::nullopt;
    const ClipItem *item = m_store.item(*id);
    return item ? std::optional<ClipItem>(*item) : std::nullopt;
}

void PanelModel::paste(const QString &itemId, bool plainText)
{
    PanelActions *target = actions();
    const auto item = storedItem(itemId);
    if (target && item)
        target->paste(*item, plainText);
}

void PanelModel::togglePin(const QString &itemId)
{
    PanelActions *target = actions();
    const auto item = storedItem(itemId);
    if (target && item)
        target->togglePin(*item);
}

void PanelModel::remove(const QString &itemId)
{
    PanelActions *target = actions();
    const auto item = storedItem(itemId);
    if (target && item)
        target->remove(*item);
}

void PanelModel::clearAll()
{
    if (PanelActions *target = actions())
        target->clearAll();
}

void PanelModel::requestAccessibility()
{
    if (PanelActions *target = actions())
        target->requestAccessibility();
}

void PanelModel::openSettings()
{
    if (PanelActions *target = actions())
        target->openSettings();
}

void PanelModel::onStoreChanged()
{
    refreshItems();
    const bool unpinned = anyUnpinned(m_store.items());
    if (unpinned != m_hasUnpinnedItems) {
        m_hasUnpinnedItems = unpinned;
        Q_EMIT hasUnpinnedItemsChanged();
    }
}

void PanelModel::refreshItems()
{
    m_items->setItems(visibleItems());
}

} // namespace tessaly
