#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

// The card and content rules as QML sees them. Every entry argument is the "entry" role of
// ClipListModel (the whole entry); an argument that is not an entry reads as an empty text
// entry.
class CardRules : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit CardRules(QObject *parent = nullptr);

    Q_INVOKABLE QString textPreview(const QVariant &entry) const;
    Q_INVOKABLE QString trimmedText(const QVariant &entry) const;
    Q_INVOKABLE QString linkTitle(const QVariant &entry) const;
    // The trimmed text shortened in the middle to fit `maxLines` lines of `width`.
    Q_INVOKABLE QString elidedLink(const QVariant &entry, const QFont &font, qreal width,
                                   int maxLines) const;
    // Fully transparent when the text names no colour.
    Q_INVOKABLE QColor swatchColor(const QVariant &entry) const;
    Q_INVOKABLE QString colorLabel(const QVariant &entry) const;
    Q_INVOKABLE QString fileNames(const QVariant &entry) const;
    Q_INVOKABLE QString fileFolder(const QVariant &entry) const;
    // The first file's path, empty when there is none.
    Q_INVOKABLE QString firstFilePath(const QVariant &entry) const;

    // "⌘1" … "⌘9", empty from index 9 on.
    Q_INVOKABLE QString shortcutBadge(int index) const;
    Q_INVOKABLE QString pinSymbol(bool pinned) const;
    Q_INVOKABLE QString pinHelp(bool pinned) const;
    Q_INVOKABLE bool pinIsOrange(bool pinned) const;
    Q_INVOKABLE QString deleteSymbol() const;
    Q_INVOKABLE QString deleteHelp() const;

    // The context menu: a list of {action, text, destructive, separator}, action being
    // "paste", "pastePlainText", "togglePin", "revealFiles", "openLink", "delete" or
    // "separator".
    Q_INVOKABLE QVariantList contextMenu(const QVariant &entry) const;
};

} // namespace tessaly
