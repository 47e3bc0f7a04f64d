#pragma once

#include "history/ClipRecords.h"
#include "panel/ClipFilter.h"
#include "panel/PanelViewModel.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QVariantList>

#include <functional>
#include <optional>

namespace tessaly {

class AccessibilityPermission;
class AppSettings;
class ClipListModel;
class HistoryStore;
class PanelActions;

// The state behind the history panel: the search text, the active filter, the selected entry,
// a counter of openings, whether automatic pasting is possible, and the moment ages are
// measured from. It derives the listed entries from the history store and carries the
// selection rules that the keyboard handling and the view drive. Main thread only; every
// property notifies only when its value changes.
class PanelModel : public PanelViewModel
{
    Q_OBJECT
    // The filter bar, in order: [{ name: "all", label: "Tudo" }, …].
    Q_PROPERTY(QVariantList filters READ filterOptions CONSTANT)

public:
    using Clock = std::function<Instant()>;

    PanelModel(HistoryStore &store, AppSettings &settings,
               const AccessibilityPermission &accessibility, QObject *parent = nullptr);
    ~PanelModel() override;

    HistoryStore &store() const { return m_store; }
    AppSettings &settings() const { return m_settings; }

    QString query() const override { return m_query; }
    void setQuery(const QString &query) override;

    ClipFilter filter() const { return m_filter; }
    void setFilter(ClipFilter filter);
    QString filterName() const override { return clipFilterName(m_filter); }
    void setFilterName(const QString &name) override;
    static QVariantList filterOptions();

    std::optional<QUuid> selectedID() const { return m_selectedID; }
    // Used by the selection operations below and by the controller when it deletes an entry.
    void setSelectedID(const std::optional<QUuid> &id);
    QString selectedIDText() const override;

    qint64 openToken() const override { return m_openToken; }
    bool accessibilityTrusted() const override { return m_accessibilityTrusted; }
    Instant now() const { return m_now; }
    QDateTime nowDateTime() const override { return m_now.toDateTime(); }
    bool hasUnpinnedItems() const override { return m_hasUnpinnedItems; }

    // The visible entries, kept in step with the store, the query and the filter.
    ClipListModel *items() const override { return m_items; }

    // The controller that carries out the view's actions; a weak reference: when the
    // implementer is a QObject, it is forgotten as soon as that object is destroyed.
    void setActions(PanelActions *actions);
    PanelActions *actions() const;

    // The source of "now" (tests pin it).
    void setClock(Clock clock);

    // The entries the panel lists, in the store's order: admitted by the filter and, when the
    // query (trimmed) is not empty, matching it. Computed afresh on every call.
    QList<ClipItem> visibleItems() const;
    // The visible entry whose id is selectedID, if any.
    std::optional<ClipItem> selectedItem() const;

    // Resets for a new opening: empty query, filter "all", a fresh "now", the accessibility
    // state, the first entry selected, and openToken raised by one.
    void prepareForOpen();
    // Keeps a still-visible selection, else selects the first visible entry (or nothing).
    void ensureSelection();
    // Selects the first visible entry, or nothing.
    void selectFirst() override;
    // Moves the selection by `delta` rows, clamped to the list (no wrap-around); with nothing
    // selected both directions land on the first entry. Nothing happens on an empty list.
    Q_INVOKABLE void moveSelection(int delta);
    // Steps the filter to the next (or previous) one of the bar, wrapping around, then selects
    // the first visible entry.
    Q_INVOKABLE void cycleFilter(bool forward);

    // The view's and the cards' actions, by entry id; each is skipped when the controller is
    // gone or the id names no entry of the history.
    void paste(const QString &itemId, bool plainText) override;
    void togglePin(const QString &itemId) override;
    void remove(const QString &itemId) override;
    void clearAll() override;
    void requestAccessibility() override;
    void openSettings() override;

private:
    void onStoreChanged();
    void refreshItems();
    std::optional<ClipItem> storedItem(const QString &itemId) const;

    HistoryStore &m_store;
    AppSettings &m_settings;
    const AccessibilityPermission &m_accessibility;
    ClipListModel *m_items;
    Clock m_clock;

    QString m_query;
    ClipFilter m_filter = ClipFilter::All;
    std::optional<QUuid> m_selectedID;
    qint64 m_openToken = 0;
    bool m_accessibilityTrusted = true;
    Instant m_now;
    bool m_hasUnpinnedItems = false;

    PanelActions *m_actions = nullptr;
    // Set when the actions' implementer is a QObject: tells whether it still exists.
    QPointer<QObject> m_actionsObject;
    bool m_actionsIsObject = false;
};

} // namespace tessaly
