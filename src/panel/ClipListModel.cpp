#include "panel/ClipListModel.h"

#include "panel/cards/ClipCardRules.h"
#include "panel/cards/ClipContentRules.h"
#include "panel/cards/Formatting.h"

#include <QSet>

#include <algorithm>

namespace tessaly {

namespace {

template <typename T> QVariant optionalValue(const std::optional<T> &value)
{
    return value ? QVariant::fromValue(*value) : QVariant();
}

} // namespace

ClipListModel::ClipListModel(QObject *parent) : QAbstractListModel(parent) {}

int ClipListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ClipListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ClipItem &item = m_items[index.row()];
    switch (role) {
    case ItemIdRole:
        return uuidText(item.id);
    case KindRole:
        return clipKindName(item.kind);
    case Qt::DisplayRole:
    case TextRole:
        return optionalValue(item.textString());
    case FilePathsRole:
        return item.filePaths.value_or(QStringList());
    case ImageWidthRole:
        return optionalValue(item.imageWidth);
    case ImageHeightRole:
        return optionalValue(item.imageHeight);
    case PinnedRole:
        return item.pinned;
    case HasRichTextRole:
        return item.hasRichText;
    case SourceBundleIDRole:
        return optionalValue(item.sourceBundleID);
    case SourceAppNameRole:
        return optionalValue(item.sourceAppName);
    case CreatedAtRole:
        return item.createdAt.toDateTime();
    case LastUsedAtRole:
        return item.lastUsedAt.toDateTime();
    case DetailRole:
        return optionalValue(Formatting::detail(item));
    case SelectedRole:
        return m_selectedID == item.id;
    case ContentHashRole:
        return item.contentHash;
    case ByteSizeRole:
        return item.byteSize;
    case EntryRole:
        return QVariant::fromValue(item);
    case PreviewRole:
        return item.kind == ClipKind::Text ? ClipContentRules::textPreview(item.textString())
                                           : QString();
    case LinkTitleRole:
        return item.kind == ClipKind::Link ? ClipContentRules::linkTitle(item.textString())
                                           : QString();
    case LinkTextRole:
        return item.kind == ClipKind::Link ? ClipContentRules::trimmedText(item.textString())
                                           : QString();
    case SwatchColorRole:
        return ClipContentRules::colorFromHex(
                   item.kind == ClipKind::Color ? item.textString().value_or(QString()) : QString())
            .value_or(QColor(Qt::transparent));
    case ColorLabelRole:
        return item.kind == ClipKind::Color ? ClipContentRules::colorLabel(item.textString())
                                            : QString();
    case FileNamesRole:
        return ClipContentRules::fileNamesLine(item.filePaths.value_or(QStringList()));
    case FileFolderRole:
        return ClipContentRules::fileFolderLine(item.filePaths.value_or(QStringList()));
    case MenuRole:
        return menuEntries(item);
    default:
        return {};
    }
}

QVariantList ClipListModel::menuEntries(const ClipItem &item)
{
    QVariantList menu;
    for (const ClipCardRules::MenuEntry &entry : ClipCardRules::contextMenu(item)) {
        menu.append(QVariantMap{
            {QStringLiteral("action"), ClipCardRules::actionName(entry.action)},
            {QStringLiteral("text"), entry.text},
            {QStringLiteral("destructive"), entry.destructive},
            {QStringLiteral("separator"),
             entry.action == ClipCardRules::MenuEntry::Action::Separator},
        });
    }
    return menu;
}

QHash<int, QByteArray> ClipListModel::roleNames() const
{
    return {
        {ItemIdRole, "clipID"},
        {KindRole, "kind"},
        {TextRole, "text"},
        {FilePathsRole, "filePaths"},
        {ImageWidthRole, "imageWidth"},
        {ImageHeightRole, "imageHeight"},
        {PinnedRole, "pinned"},
        {HasRichTextRole, "hasRichText"},
        {SourceBundleIDRole, "sourceBundleID"},
        {SourceAppNameRole, "sourceAppName"},
        {CreatedAtRole, "createdAt"},
        {LastUsedAtRole, "lastUsedAt"},
        {DetailRole, "detail"},
        {SelectedRole, "selected"},
        {ContentHashRole, "contentHash"},
        {ByteSizeRole, "byteSize"},
        {EntryRole, "entry"},
        {PreviewRole, "preview"},
        {LinkTitleRole, "linkTitle"},
        {LinkTextRole, "linkText"},
        {SwatchColorRole, "swatchColor"},
        {ColorLabelRole, "colorLabel"},
        {FileNamesRole, "fileNames"},
        {FileFolderRole, "fileFolder"},
        {MenuRole, "menuEntries"},
    };
}

int ClipListModel::rowOf(const QString &itemId) const
{
    const auto id = uuidFromText(itemId);
    return id ? rowOf(*id) : -1;
}

int ClipListModel::rowOf(const QUuid &id) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items[row].id == id)
            return int(row);
    }
    return -1;
}

void ClipListModel::emitRowChanged(int row, const QList<int> &roles)
{
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, roles);
}

void ClipListModel::setItems(const QList<ClipItem> &items)
{
    const int oldCount = count();

    // 1. Rows whose entry is gone, removed from the end so the earlier rows keep their numbers;
    //    neighbouring rows go in one step.
    QSet<QUuid> wanted;
    wanted.reserve(items.size());
    for (const ClipItem &item : items)
        wanted.insert(item.id);
    qsizetype surviving = 0;
    for (const ClipItem &item : std::as_const(m_items))
        surviving += wanted.contains(item.id) ? 1 : 0;
    // Ids are unique in the history; a list that repeats one cannot be merged row by row. A
    // list that keeps less than half of the rows (a new search, another filter) is cheaper to
    // show afresh than to reach by hundreds of removals and insertions.
    if (wanted.size() != items.size() || surviving * 2 < std::max(m_items.size(), items.size())) {
        beginResetModel();
        m_items = items;
        endResetModel();
        if (count() != oldCount)
            Q_EMIT countChanged();
        return;
    }
    for (int row = count() - 1; row >= 0;) {
        if (wanted.contains(m_items[row].id)) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !wanted.contains(m_items[first - 1].id))
            --first;
        beginRemoveRows(QModelIndex(), first, row);
        m_items.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }

    // 2. Walk the new list: rows already in place stay, rows further down move up, new entries
    //    are inserted (a run of new entries in one step). Every row before `row` is final.
    QSet<QUuid> existing;
    existing.reserve(m_items.size());
    for (const ClipItem &item : std::as_const(m_items))
        existing.insert(item.id);
    QList<int> changedRows;
    for (int row = 0; row < items.size(); ++row) {
        const ClipItem &wantedItem = items[row];
        if (!existing.contains(wantedItem.id)) {
            int last = row;
            while (last + 1 < items.size() && !existing.contains(items[last + 1].id))
                ++last;
            beginInsertRows(QModelIndex(), row, last);
            for (int i = row; i <= last; ++i)
                m_items.insert(i, items[i]);
            endInsertRows();
            row = last;
            continue;
        }
        if (m_items[row].id != wantedItem.id) {
            // The entry sits further down (the rows above are final): move it up.
            int from = row + 1;
            while (m_items[from].id != wantedItem.id)
                ++from;
            beginMoveRows(QModelIndex(), from, from, QModelIndex(), row);
            m_items.move(from, row);
            endMoveRows();
        }
        if (!(m_items[row] == wantedItem)) {
            m_items[row] = wantedItem;
            changedRows.append(row);
        }
    }

    for (int row : std::as_const(changedRows))
        emitRowChanged(row);
    if (count() != oldCount)
        Q_EMIT countChanged();
}

void ClipListModel::setSelectedID(const std::optional<QUuid> &id)
{
    if (id == m_selectedID)
        return;
    const int oldRow = m_selectedID ? rowOf(*m_selectedID) : -1;
    m_selectedID = id;
    const int newRow = id ? rowOf(*id) : -1;
    if (oldRow >= 0)
        emitRowChanged(oldRow, {SelectedRole});
    if (newRow >= 0)
        emitRowChanged(newRow, {SelectedRole});
}

} // namespace tessaly
