#pragma once

#include "history/ClipRecords.h"
#include "panel/ClipListModel.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

namespace tessaly::test {

// A panel model for the views' tests: it has the properties and methods HistoryView reads
// (see the contract at the top of HistoryView.qml), filters and searches its entries simply,
// and records every action it is asked for in `calls` ("paste <id> plain", "togglePin <id>" …).
class FakePanelModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY filterChanged)
    Q_PROPERTY(QString selectedID READ selectedID NOTIFY selectedIDChanged)
    Q_PROPERTY(qint64 openToken READ openToken NOTIFY openTokenChanged)
    Q_PROPERTY(
        bool accessibilityTrusted READ accessibilityTrusted NOTIFY accessibilityTrustedChanged)
    Q_PROPERTY(QDateTime now READ now NOTIFY nowChanged)
    Q_PROPERTY(tessaly::ClipListModel *items READ listModel CONSTANT)
    Q_PROPERTY(bool hasUnpinnedItems READ hasUnpinnedItems NOTIFY hasUnpinnedItemsChanged)

public:
    explicit FakePanelModel(QObject *parent = nullptr);

    QString query() const { return m_query; }
    QString filter() const { return m_filter; }
    QString selectedID() const { return m_selectedID; }
    qint64 openToken() const { return m_openToken; }
    bool accessibilityTrusted() const { return m_accessibilityTrusted; }
    QDateTime now() const { return m_now; }
    ClipListModel *listModel() { return &m_visible; }
    bool hasUnpinnedItems() const;

    void setQuery(const QString &query);
    void setFilter(const QString &filter);
    void setSelectedID(const QString &id);
    void setAccessibilityTrusted(bool trusted);
    void setNow(const QDateTime &now);
    // Replaces the whole history (in display order).
    void setItems(const QList<ClipItem> &items);
    const QList<ClipItem> &items() const { return m_items; }
    // A new opening: raises openToken, selects the first entry.
    void open();

    Q_INVOKABLE void selectFirst();
    Q_INVOKABLE void paste(const QString &id, bool plainText);
    Q_INVOKABLE void togglePin(const QString &id);
    Q_INVOKABLE void remove(const QString &id);
    Q_INVOKABLE void clearAll();
    Q_INVOKABLE void openSettings();
    Q_INVOKABLE void requestAccessibility();

    QStringList calls;

Q_SIGNALS:
    void queryChanged();
    void filterChanged();
    void selectedIDChanged();
    void openTokenChanged();
    void accessibilityTrustedChanged();
    void nowChanged();
    void hasUnpinnedItemsChanged();

private:
    void refresh();

    QList<ClipItem> m_items;
    ClipListModel m_visible;
    QString m_query;
    QString m_filter = QStringLiteral("all");
    QString m_selectedID;
    qint64 m_openToken = 0;
    bool m_accessibilityTrusted = true;
    bool m_hasUnpinnedItems = false;
    QDateTime m_now = QDateTime::currentDateTimeUtc();
};

} // namespace tessaly::test
