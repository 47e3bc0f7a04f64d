#include "panel/cards/CardBackends.h"

#include "history/HistoryStore.h"
#include "panel/cards/Formatting.h"
#include "panel/cards/IconCache.h"

namespace tessaly {

QString CardTexts::relativeText(Instant date, Instant reference) const
{
    return Formatting::relativeText(date.toDateTime(), reference.toDateTime());
}

std::optional<QString> CardTexts::detail(const ClipItem &item) const
{
    return Formatting::detail(item);
}

CardPictures::CardPictures(IconCache &icons, const HistoryStore &store)
    : m_icons(icons), m_store(store)
{}

QIcon CardPictures::appIcon(const QString &bundleID)
{
    return m_icons.appIcon(bundleID);
}

QIcon CardPictures::fileIcon(const QString &path)
{
    return m_icons.fileIcon(path);
}

QImage CardPictures::thumbnail(const QUuid &id)
{
    const ClipItem *item = m_store.item(id);
    if (!item)
        return {};
    return m_icons.thumbnail(*item, m_store).value_or(QImage());
}

} // namespace tessaly
