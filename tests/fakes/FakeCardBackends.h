#pragma once

#include "panel/cards/CardFormatting.h"
#include "panel/cards/CardImageSource.h"
#include "panel/cards/CardWorkspace.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace tessaly::test {

// Relative texts in the desktop formatter's short Brazilian style ("há 5 min", "há 2 h",
// "há 3 dias") and the meta row's details of text, image and file entries.
class FakeCardFormatting : public CardFormatting
{
public:
    QString relativeText(Instant date, Instant reference) const override;
    std::optional<QString> detail(const ClipItem &item) const override;
};

// Pictures from tables the test fills; counts the lookups.
class FakeCardImageSource : public CardImageSource
{
public:
    QIcon appIcon(const QString &bundleID) override;
    QIcon fileIcon(const QString &path) override;
    QImage thumbnail(const QUuid &id) override;

    QHash<QString, QIcon> appIcons;
    // By path; genericFileIcon for any other path.
    QHash<QString, QIcon> fileIcons;
    QIcon genericFileIcon;
    QHash<QUuid, QImage> thumbnails;
    int thumbnailLookups = 0;
};

// Records what the cards ask of the desktop.
class FakeCardWorkspace : public CardWorkspace
{
public:
    void revealFiles(const QList<QUrl> &files) override { revealed.append(files); }
    void openUrl(const QUrl &url) override { opened.append(url); }

    QList<QList<QUrl>> revealed;
    QList<QUrl> opened;
};

} // namespace tessaly::test
