#pragma once

#include "history/ClipRecords.h"
#include "panel/cards/ApplicationDirectory.h"

#include <QCache>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>

#include <mutex>
#include <optional>

namespace tessaly {

class HistoryStore;
class ThumbnailCache;

// The images and names the cards show that come from the system: an application's icon and
// name, a file's icon, an image entry's thumbnail. Each successful lookup is kept, so a lookup
// happens at most once per key while the cache holds it; icons are kept in bounded caches
// (dropped least recently used first, and looked up again on demand), names for the life of
// the object. A failed icon or thumbnail lookup is not kept: it is tried again next time.
// File and type icons come from the current icon theme. Safe to use from any thread.
class IconCache
{
public:
    explicit IconCache(ApplicationDirectory &applications);
    IconCache(ApplicationDirectory &applications, ThumbnailCache &thumbnails);

    // The icon of the installed application, or a null icon when there is none (or no id).
    QIcon appIcon(const std::optional<QString> &bundleID);
    // The installed application's name, else the known name of the identifier, else the
    // identifier itself. Settled on first lookup: the name stays for the life of this object.
    QString appName(const QString &bundleID);
    // The icon of the file's type: by its name, and its content when the name tells nothing,
    // when the file exists (or the path has no extension); by the extension alone for a
    // missing file.
    QIcon fileIcon(const QString &path);
    // The entry's thumbnail: from the shared thumbnail cache, else read from the store's
    // thumbnail file (and kept); absent when the file is missing or unreadable.
    std::optional<QImage> thumbnail(const ClipItem &item, const HistoryStore &store);

    ThumbnailCache &thumbnails() const { return m_thumbnails; }

private:
    ApplicationDirectory &m_applications;
    ThumbnailCache &m_thumbnails;

    std::mutex m_mutex;
    QCache<QString, QIcon> m_appIcons;
    QCache<QString, QIcon> m_fileIcons;
    QHash<QString, QString> m_appNames;
};

} // namespace tessaly
