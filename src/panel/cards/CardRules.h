#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

// The clip cards' rules that are not a row's own value (those are roles of ClipListModel): the
// badges, the pin and delete controls, fitting a link into its lines, and tinted symbols.
class CardRules : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit CardRules(QObject *parent = nullptr);

    // `text` shortened in the middle to fit `maxLines` lines of `width`.
    Q_INVOKABLE QString elidedLink(const QString &text, const QFont &font, qreal width,
                                   int maxLines) const;

    // "⌘1" … "⌘9", empty from index 9 on.
    Q_INVOKABLE QString shortcutBadge(int index) const;
    Q_INVOKABLE QString pinSymbol(bool pinned) const;
    Q_INVOKABLE QString pinHelp(bool pinned) const;
    Q_INVOKABLE bool pinIsOrange(bool pinned) const;
    Q_INVOKABLE QString deleteSymbol() const;
    Q_INVOKABLE QString deleteHelp() const;
    // A symbol drawn in one colour, for places that cannot tint (menus); empty for a name the
    // symbol set lacks.
    Q_INVOKABLE QUrl tintedSymbol(const QString &name, const QColor &color) const;
};

} // namespace tessaly
