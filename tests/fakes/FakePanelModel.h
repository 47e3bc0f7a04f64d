#pragma once

#include "history/ClipRecords.h"
#include "panel/ClipListModel.h"
#include "panel/PanelViewModel.h"

#include <QStringList>

namespace tessaly::test {

// The history view's model for the views' tests: it lists its entries through the panel's own
// filter and search rules, and records every action it is asked for in `calls`
// ("paste <id> plain", "togglePin <id>" …).
class FakePanelModel : public PanelViewModel
{
    Q_OBJECT

public:
    explicit FakePanelModel(QObject *parent = nullptr);

    QString query() const override { return m_query; }
    void setQuery(const QString &query) override;
    QString filterName() const override { return m_filter; }
    void setFilterName(const QString &filter) override;
    QString selectedIDText() const override { return m_selectedID; }
    qint64 openToken() const override { return m_openToken; }
    bool accessibilityTrusted() const override { return m_accessibilityTrusted; }
    QDateTime nowDateTime() const override { return m_now; }
    ClipListModel *items() const override { return &m_visible; }
    bool hasUnpinnedItems() const override { return m_hasUnpinnedItems; }

    void setSelectedID(const QString &id);
    void setAccessibilityTrusted(bool trusted);
    void setNow(const QDateTime &now);
    // Replaces the whole history (in display order).
    void setEntries(const QList<ClipItem> &entries);
    const QList<ClipItem> &entries() const { return m_entries; }
    // A new opening: raises openToken, selects the first entry.
    void open();

    void selectFirst() override;
    void paste(const QString &id, bool plainText) override;
    void togglePin(const QString &id) override;
    void remove(const QString &id) override;
    void clearAll() override;
    void openSettings() override;
    void requestAccessibility() override;

    QStringList calls;

private:
    void refresh();

    QList<ClipItem> m_entries;
    mutable ClipListModel m_visible;
    QString m_query;
    QString m_filter = QStringLiteral("all");
    QString m_selectedID;
    qint64 m_openToken = 0;
    bool m_accessibilityTrusted = true;
    bool m_hasUnpinnedItems = false;
    QDateTime m_now = QDateTime::currentDateTimeUtc();
};

} // namespace tessaly::test
