#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

namespace tessaly {

class ClipListModel;

// What the history view reads and drives: the search text, the active filter, the selection,
// the openings, the accessibility banner, the moment ages are measured from, the listed entries
// and the actions on them. The panel's model implements it for the program; the views see it
// as the QML type PanelViewModel, so a view that reads a property it does not declare fails
// to compile. Every property notifies only when its value changes.
class PanelViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    // The raw value of the active filter: "all", "text", "link", "image", "file" or "pinned".
    Q_PROPERTY(QString filter READ filterName WRITE setFilterName NOTIFY filterChanged)
    // The selected entry's id (canonical upper-case text), empty when nothing is selected.
    Q_PROPERTY(QString selectedID READ selectedIDText NOTIFY selectedIDChanged)
    // Raised by one at every opening of the panel.
    Q_PROPERTY(qint64 openToken READ openToken NOTIFY openTokenChanged)
    // False shows the accessibility banner.
    Q_PROPERTY(
        bool accessibilityTrusted READ accessibilityTrusted NOTIFY accessibilityTrustedChanged)
    // The reference time of the cards' ages.
    Q_PROPERTY(QDateTime now READ nowDateTime NOTIFY nowChanged)
    // The entries shown, in order: a constant object whose rows change in place.
    Q_PROPERTY(tessaly::ClipListModel *items READ items CONSTANT)
    // Whether the whole history (not only the visible part) holds an unpinned entry.
    Q_PROPERTY(bool hasUnpinnedItems READ hasUnpinnedItems NOTIFY hasUnpinnedItemsChanged)

public:
    using QObject::QObject;

    virtual QString query() const = 0;
    virtual void setQuery(const QString &query) = 0;
    virtual QString filterName() const = 0;
    // An unknown name changes nothing.
    virtual void setFilterName(const QString &name) = 0;
    virtual QString selectedIDText() const = 0;
    virtual qint64 openToken() const = 0;
    virtual bool accessibilityTrusted() const = 0;
    virtual QDateTime nowDateTime() const = 0;
    virtual ClipListModel *items() const = 0;
    virtual bool hasUnpinnedItems() const = 0;

    // Selects the first visible entry, or nothing.
    Q_INVOKABLE virtual void selectFirst() = 0;
    // The actions, by entry id: paste hides the panel and pastes the entry; remove moves the
    // selection; clearAll keeps pinned entries; openSettings and requestAccessibility hide the
    // panel first.
    Q_INVOKABLE virtual void paste(const QString &itemId, bool plainText) = 0;
    Q_INVOKABLE virtual void togglePin(const QString &itemId) = 0;
    Q_INVOKABLE virtual void remove(const QString &itemId) = 0;
    Q_INVOKABLE virtual void clearAll() = 0;
    Q_INVOKABLE virtual void requestAccessibility() = 0;
    Q_INVOKABLE virtual void openSettings() = 0;

Q_SIGNALS:
    void queryChanged();
    void filterChanged();
    void selectedIDChanged();
    void openTokenChanged();
    void accessibilityTrustedChanged();
    void nowChanged();
    void hasUnpinnedItemsChanged();
};

} // namespace tessaly
