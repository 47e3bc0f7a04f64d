#pragma once

#include "history/ClipRecords.h"

#include <QAbstractListModel>
#include <QList>

namespace tessaly {

// The entries a history view lists, as a Qt item model. Each role is one field of the entry,
// named as the field (the id is "clipID", as QML reserves "id"), plus "entry", the whole entry as
// an opaque value that QML hands back to the C++ rules. setItems() changes the rows in place
// (removing, moving, inserting and updating by entry id) so that views keep the delegates, and
// their hover and scroll state, of entries that stay.
class ClipListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role
    {
        IdRole = Qt::UserRole + 1,
        KindRole,
        CreatedAtRole,
        LastUsedAtRole,
        PinnedRole,
        TextRole,
        FilePathsRole,
        ImageWidthRole,
        ImageHeightRole,
        HasRichTextRole,
        SourceBundleIDRole,
        SourceAppNameRole,
        ContentHashRole,
        ByteSizeRole,
        EntryRole,
    };
    Q_ENUM(Role)

    explicit ClipListModel(QObject *parent = nullptr);

    const QList<ClipItem> &items() const { return m_items; }
    void setItems(const QList<ClipItem> &items);

    int count() const { return int(m_items.size()); }
    // The row of the entry with that id (canonical text), or -1.
    Q_INVOKABLE int rowOf(const QString &id) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void countChanged();

private:
    qsizetype indexOf(const QUuid &id, qsizetype from) const;

    QList<ClipItem> m_items;
};

} // namespace tessaly
