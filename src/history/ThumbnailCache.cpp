#include "history/ThumbnailCache.h"

namespace tessaly {

ThumbnailCache::ThumbnailCache(qint64 costLimitBytes) : m_images(costLimitBytes) {}

ThumbnailCache &ThumbnailCache::shared()
{
    static ThumbnailCache cache;
    return cache;
}

void ThumbnailCache::put(const QUuid &id, const QImage &image)
{
    if (image.isNull())
        return;
    std::lock_guard lock(m_mutex);
    m_images.insert(id, new QImage(image), qMax<qint64>(1, image.sizeInBytes()));
}

std::optional<QImage> ThumbnailCache::get(const QUuid &id) const
{
    std::lock_guard lock(m_mutex);
    if (const QImage *image = m_images.object(id))
        return *image;
    return std::nullopt;
}

void ThumbnailCache::remove(const QUuid &id)
{
    std::lock_guard lock(m_mutex);
    m_images.remove(id);
}

void ThumbnailCache::clear()
{
    std::lock_guard lock(m_mutex);
    m_images.clear();
}

qsizetype ThumbnailCache::count() const
{
    std::lock_guard lock(m_mutex);
    return m_images.count();
}

} // namespace tessaly
