#pragma once

#include "panel/cards/CardFormatting.h"
#include "panel/cards/CardImageSource.h"

namespace tessaly {

class HistoryStore;
class IconCache;

// The cards' ages and details in Brazilian Portuguese, from Formatting.
class CardTexts : public CardFormatting
{
public:
    QString relativeText(Instant date, Instant reference) const override;
    std::optional<QString> detail(const ClipItem &item) const override;
};

// The cards' pictures from the icon cache and the history's thumbnails.
class CardPictures : public CardImageSource
{
public:
    CardPictures(IconCache &icons, const HistoryStore &store);

    QIcon appIcon(const QString &bundleID) override;
    QIcon fileIcon(const QString &path) override;
    QImage thumbnail(const QUuid &id) override;

private:
    IconCache &m_icons;
    const HistoryStore &m_store;
};

} // namespace tessaly
