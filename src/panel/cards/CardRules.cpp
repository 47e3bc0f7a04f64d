#include "panel/cards/CardRules.h"

#include "panel/cards/CardImageProvider.h"
#include "panel/cards/ClipCardRules.h"
#include "panel/cards/ClipContentRules.h"
#include "panel/theme/Symbols.h"

namespace tessaly {

CardRules::CardRules(QObject *parent) : QObject(parent) {}

QString CardRules::elidedLink(const QString &text, const QFont &font, qreal width,
                              int maxLines) const
{
    return ClipContentRules::elideMiddle(text, font, width, maxLines);
}

QString CardRules::shortcutBadge(int index) const
{
    return ClipCardRules::shortcutBadge(index).value_or(QString());
}

QString CardRules::pinSymbol(bool pinned) const
{
    return ClipCardRules::pinControl(pinned).symbol;
}

QString CardRules::pinHelp(bool pinned) const
{
    return ClipCardRules::pinControl(pinned).help;
}

bool CardRules::pinIsOrange(bool pinned) const
{
    return ClipCardRules::pinControl(pinned).orange;
}

QString CardRules::deleteSymbol() const
{
    return ClipCardRules::deleteSymbol();
}

QString CardRules::deleteHelp() const
{
    return ClipCardRules::deleteHelp();
}

QUrl CardRules::tintedSymbol(const QString &name, const QColor &color) const
{
    return Symbols::resourcePath(name).isEmpty() ? QUrl()
                                                 : CardImageProvider::symbolUrl(name, color);
}

} // namespace tessaly
