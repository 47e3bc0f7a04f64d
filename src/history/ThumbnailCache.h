#pragma once

#include <QCache>
#include <QImage>
#include <QUuid>

#include <mutex>
#include <optional>

namespace tessaly {

// The process-wide in-memory cache of decoded thumbnails, keyed by entry id. It is purgeable:
// bounded by the decoded images' byte cost, it drops the least recently used images when full,
// and they are decoded again from their files on demand. Safe to use from any thread.
class ThumbnailCache
{
public:
    static constexpr qint64 defaultCostLimit = 128 * 1024 * 1024;

    explicit ThumbnailCache(qint64 costLimitBytes = defaultCostLimit);

    static ThumbnailCache &shared();

    void put(const QUuid &id, const QImage &image);
    std::optional<QImage> get(const QUuid &id) const;
    void remove(const QUuid &id);
    void clear();

    qsizetype count() const;

private:
    mutable std::mutex m_mutex;
    mutable QCache<QUuid, QImage> m_images;
};

} // namespace tessaly
