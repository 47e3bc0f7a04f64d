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
// role. Besides the entry's fields, a row carries what its card shows (its preview, link title,
// swatch, file lines and context menu), so the cards read it directly; "entry" carries the
// whole entry for the cards' desktop services.
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
        EntryRole, // the whole ClipItem, handed to the cards' services
        // What the card shows, by kind; empty for the other kinds.
        PreviewRole,     // "preview": a text entry's preview
        LinkTitleRole,   // "linkTitle": a link's title line
        LinkTextRole,    // "linkText": a link's trimmed text, shortened by the card to fit
        SwatchColorRole, // "swatchColor": a colour entry's colour (transparent when none)
        ColorLabelRole,  // "colorLabel"
        FileNamesRole,   // "fileNames": a file entry's names line
        FileFolderRole,  // "fileFolder": its folder line
        MenuRole,        // "menuEntries": the context menu, a list of {action, text, destructive,
                         // separator}; action is "paste", "pastePlainText", "togglePin",
                         // "revealFiles", "openLink", "delete" or "separator"
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
    static QVariantList menuEntries(const ClipItem &item);
    void emitRowChanged(int row, const QList<int> &roles = {});

    QList<ClipItem> m_items;
    std::optional<QUuid> m_selectedID;
};

} // namespace tessaly
