#include "panel/cards/IconCache.h"

#include "history/HistoryStore.h"
#include "history/ThumbnailCache.h"
#include "settings/AppSettings.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>

namespace tessaly {

namespace {

// Icons are small handles; these bound how many distinct keys are kept.
constexpr int appIconLimit = 256;
constexpr int fileIconLimit = 1024;

// The text after the last dot of the last path component; empty when there is none (a name
// that only starts with a dot, ".bashrc", has none).
QString extensionOf(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QIcon iconForMimeType(const QMimeType &type)
{
    for (const QString &name :
         {type.iconName(), type.genericIconName(), QStringLiteral("application-x-generic"),
          QStringLiteral("text-x-generic"), QStringLiteral("unknown")}) {
        if (name.isEmpty())
            continue;
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return icon;
    }
    return {};
}

} // namespace

IconCache::IconCache(ApplicationDirectory &applications)
    : IconCache(applications, ThumbnailCache::shared())
{}

IconCache::IconCache(ApplicationDirectory &applications, ThumbnailCache &thumbnails)
    : m_applications(applications), m_thumbnails(thumbnails), m_appIcons(appIconLimit),
      m_fileIcons(fileIconLimit)
{}

QIcon IconCache::appIcon(const std::optional<QString> &bundleID)
{
    if (!bundleID || bundleID->isEmpty())
        return {};
    std::lock_guard lock(m_mutex);
    if (const QIcon *cached = m_appIcons.object(*bundleID))
        return *cached;
    const auto application = m_applications.application(*bundleID);
    if (!application || application->icon.isNull())
        return {};
    m_appIcons.insert(*bundleID, new QIcon(application->icon));
    return application->icon;
}

QString IconCache::appName(const QString &bundleID)
{
    std::lock_guard lock(m_mutex);
    if (const auto found = m_appNames.constFind(bundleID); found != m_appNames.cend())
        return *found;
    QString name = AppSettings::knownAppNames().value(bundleID, bundleID);
    if (const auto application = m_applications.application(bundleID);
        application && !application->name.isEmpty()) {
        name = application->name;
        if (name.endsWith(QStringLiteral(".app")))
            name.chop(4);
    }
    m_appNames.insert(bundleID, name);
    return name;
}

QIcon IconCache::fileIcon(const QString &path)
{
    std::lock_guard lock(m_mutex);
    if (const QIcon *cached = m_fileIcons.object(path))
        return *cached;

    static const QMimeDatabase database;
    const QString extension = extensionOf(path);
    const QFileInfo info(path);
    QMimeType type;
    if (info.exists() || info.isSymLink() || extension.isEmpty())
        type = database.mimeTypeForFile(info);
    else
        type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!type.isValid())
        type = database.mimeTypeForName(QStringLiteral("application/octet-stream"));

    // Kept even when the theme has nothing for the type: the answer would not change.
    const QIcon icon = iconForMimeType(type);
    m_fileIcons.insert(path, new QIcon(icon));
    return icon;
}

std::optional<QImage> IconCache::thumbnail(const ClipItem &item, const HistoryStore &store)
{
    if (auto cached = m_thumbnails.get(item.id))
        return cached;
    QImageReader reader(store.thumbnailPath(item.id), "png");
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt; // not kept: the next lookup reads the file again
    m_thumbnails.put(item.id, image);
    return image;
}

} // namespace tessaly
