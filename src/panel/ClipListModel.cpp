#include "panel/ClipListModel.h"

#include <QSet>

namespace tessaly {

namespace {

template <typename T> QVariant optionalValue(const std::optional<T> &value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

ClipListModel::ClipListModel(QObject *parent) : QAbstractListModel(parent) {}

qsizetype ClipListModel::indexOf(const QUuid &id, qsizetype from) const
{
    for (qsizetype i = from; i < m_items.size(); ++i) {
        if (m_items.at(i).id == id)
            return i;
    }
    return -1;
}

void ClipListModel::setItems(const QList<ClipItem> &items)
{
    const int oldCount = count();

    // 1. Rows whose entry is gone, from the bottom up.
    QSet<QUuid> kept;
    kept.reserve(items.size());
    for (const ClipItem &item : items)
        kept.insert(item.id);
    for (qsizetype row = m_items.size() - 1; row >= 0;) {
        if (kept.contains(m_items.at(row).id)) {
            --row;
            continue;
        }
        qsizetype first = row;
        while (first > 0 && !kept.contains(m_items.at(first - 1).id))
            --first;
        beginRemoveRows({}, int(first), int(row));
        m_items.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }

    // 2. Walk the new order: keep, move up, or insert each entry; then update changed fields.
    for (qsizetype target = 0; target < items.size(); ++target) {
        const ClipItem &item = items.at(target);
        if (target < m_items.size() && m_items.at(target).id == item.id) {
            if (!(m_items.at(target) == item)) {
                m_items[target] = item;
                const QModelIndex changed = index(int(target));
                Q_EMIT dataChanged(changed, changed);
            }
            continue;
        }
        const qsizetype current = indexOf(item.id, target + 1);
        if (current >= 0) {
            beginMoveRows({}, int(current), int(current), {}, int(target));
            m_items.move(current, target);
            endMoveRows();
            if (!(m_items.at(target) == item)) {
                m_items[target] = item;
                const QModelIndex changed = index(int(target));
                Q_EMIT dataChanged(changed, changed);
            }
        } else {
            beginInsertRows({}, int(target), int(target));
            m_items.insert(target, item);
            endInsertRows();
        }
    }

    if (count() != oldCount)
        Q_EMIT countChanged();
}

int ClipListModel::rowOf(const QString &id) const
{
    const QUuid uuid = QUuid::fromString(id);
    if (uuid.isNull())
        return -1;
    return int(indexOf(uuid, 0));
}

int ClipListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ClipListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ClipItem &item = m_items.at(index.row());
    switch (Role(role)) {
    case IdRole:
        return uuidText(item.id);
    case KindRole:
        return clipKindName(item.kind);
    case CreatedAtRole:
        return item.createdAt.toDateTime();
    case LastUsedAtRole:
        return item.lastUsedAt.toDateTime();
    case PinnedRole:
        return item.pinned;
    case TextRole:
        return optionalValue(item.text);
    case FilePathsRole:
        return optionalValue(item.filePaths);
    case ImageWidthRole:
        return optionalValue(item.imageWidth);
    case ImageHeightRole:
        return optionalValue(item.imageHeight);
    case HasRichTextRole:
        return item.hasRichText;
    case SourceBundleIDRole:
        return optionalValue(item.sourceBundleID);
    case SourceAppNameRole:
        return optionalValue(item.sourceAppName);
    case ContentHashRole:
        return item.contentHash;
    case ByteSizeRole:
        return item.byteSize;
    case EntryRole:
        return QVariant::fromValue(item);
    }
    return {};
}

QHash<int, QByteArray> ClipListModel::roleNames() const
{
    return {
        {IdRole, "clipID"},
        {KindRole, "kind"},
        {CreatedAtRole, "createdAt"},
        {LastUsedAtRole, "lastUsedAt"},
        {PinnedRole, "pinned"},
        {TextRole, "text"},
        {FilePathsRole, "filePaths"},
        {ImageWidthRole, "imageWidth"},
        {ImageHeightRole, "imageHeight"},
        {HasRichTextRole, "hasRichText"},
        {SourceBundleIDRole, "sourceBundleID"},
        {SourceAppNameRole, "sourceAppName"},
        {ContentHashRole, "contentHash"},
        {ByteSizeRole, "byteSize"},
        {EntryRole, "entry"},
    };
}

} // namespace tessaly
