#include "panel/cards/CardRules.h"

#include "panel/cards/ClipCardRules.h"
#include "panel/cards/ClipContentRules.h"

namespace tessaly {

namespace {

ClipItem clipOf(const QVariant &entry)
{
    return entry.value<ClipItem>();
}

} // namespace

CardRules::CardRules(QObject *parent) : QObject(parent) {}

QString CardRules::textPreview(const QVariant &entry) const
{
    return ClipContentRules::textPreview(clipOf(entry).textString());
}

QString CardRules::trimmedText(const QVariant &entry) const
{
    return ClipContentRules::trimmedText(clipOf(entry).textString());
}

QString CardRules::linkTitle(const QVariant &entry) const
{
    return ClipContentRules::linkTitle(clipOf(entry).textString());
}

QString CardRules::elidedLink(const QVariant &entry, const QFont &font, qreal width,
                              int maxLines) const
{
    return ClipContentRules::elideMiddle(ClipContentRules::trimmedText(clipOf(entry).textString()), font,
                                         width, maxLines);
}

QColor CardRules::swatchColor(const QVariant &entry) const
{
    const ClipItem item = clipOf(entry);
    return ClipContentRules::colorFromHex(item.textString().value_or(QString()))
        .value_or(QColor(Qt::transparent));
}

QString CardRules::colorLabel(const QVariant &entry) const
{
    return ClipContentRules::colorLabel(clipOf(entry).textString());
}

QString CardRules::fileNames(const QVariant &entry) const
{
    return ClipContentRules::fileNamesLine(clipOf(entry).filePaths.value_or(QStringList()));
}

QString CardRules::fileFolder(const QVariant &entry) const
{
    return ClipContentRules::fileFolderLine(clipOf(entry).filePaths.value_or(QStringList()));
}

QString CardRules::firstFilePath(const QVariant &entry) const
{
    const QStringList paths = clipOf(entry).filePaths.value_or(QStringList());
    return paths.isEmpty() ? QString() : paths.first();
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

QVariantList CardRules::contextMenu(const QVariant &entry) const
{
    QVariantList menu;
    for (const ClipCardRules::MenuEntry &entry : ClipCardRules::contextMenu(clipOf(entry))) {
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

} // namespace tessaly
