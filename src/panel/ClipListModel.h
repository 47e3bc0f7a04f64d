#pragma once

#include "history/ClipRecords.h"

#include <QAbstractListModel>
#include <QList>

#include <optional>

namespace tessaly {

// The panel's visible entries as a list model for the view: one row per entry, with the roles
// a card reads. A new list that keeps most rows is merged in with row removals, moves and
// insertions (and data changes for entries that changed in place), so a view can animate
// them; one that keeps less than half resets the model. The selected row is marked through a
// role; "entry" carries the whole entry for the card rules.
class ClipListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role
    {
        ItemIdRole = Qt::UserRole + 1, // "clipID": canonical upper-case id text (QML reserves "id")
        KindRole,                      // "text", "link", "color", "image", "file"
        TextRole,                      // text, or undefined
        FilePathsRole,                 // list of paths (empty when none)
        ImageWidthRole,                // integer, or undefined
        ImageHeightRole,               // integer, or undefined
        PinnedRole,
        HasRichTextRole,
        SourceBundleIDRole, // text, or undefined
        SourceAppNameRole,  // text, or undefined
        CreatedAtRole,      // date
        LastUsedAtRole,     // date
        DetailRole,         // the meta row's detail text, or undefined
        SelectedRole,
        ContentHashRole,
        ByteSizeRole,
        EntryRole, // the whole ClipItem, handed back to the card rules
    };
    Q_ENUM(Role)

    explicit ClipListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_items.size()); }
    const QList<ClipItem> &items() const { return m_items; }

    // The row of the entry with that id, or -1.
    Q_INVOKABLE int rowOf(const QString &itemId) const;
    int rowOf(const QUuid &id) const;

    // Merges the new list in (see the class comment).
    void setItems(const QList<ClipItem> &items);
    void setSelectedID(const std::optional<QUuid> &id);

Q_SIGNALS:
    void countChanged();

private:
    void emitRowChanged(int row, const QList<int> &roles = {});

    QList<ClipItem> m_items;
    std::optional<QUuid> m_selectedID;
};

} // namespace tessaly
