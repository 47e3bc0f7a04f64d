#include "platform/xdg/IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

#include <mutex>

namespace tessaly::IconTheme {

namespace {

// Full-colour themes that carry application and file-type icons, most common first.
const QStringList &preferredThemes()
{
    static const QStringList themes = {
        QStringLiteral("Adwaita"),    QStringLiteral("breeze"), QStringLiteral("Papirus"),
        QStringLiteral("elementary"), QStringLiteral("gnome"),  QStringLiteral("Tango"),
        QStringLiteral("oxygen"),
    };
    return themes;
}

QStringList dataDirectories()
{
    QStringList directories;
    directories.append(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    for (const QString &directory :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        if (!directories.contains(directory))
            directories.append(directory);
    }
    return directories;
}

bool themeInstalled(const QString &theme, const QStringList &searchPaths)
{
    for (const QString &path : searchPaths) {
        if (QFileInfo::exists(path + u'/' + theme + QStringLiteral("/index.theme")))
            return true;
    }
    return false;
}

} // namespace

QStringList themeDirectories()
{
    QStringList directories;
    const QStringList data = dataDirectories();
    if (!data.isEmpty())
        directories.append(data.first() + QStringLiteral("/icons"));
    directories.append(QDir::homePath() + QStringLiteral("/.icons"));
    for (qsizetype i = 1; i < data.size(); ++i)
        directories.append(data[i] + QStringLiteral("/icons"));
    return directories;
}

QStringList pixmapDirectories()
{
    QStringList directories;
    for (const QString &directory : dataDirectories())
        directories.append(directory + QStringLiteral("/pixmaps"));
    return directories;
}

void ensureConfigured()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QStringList searchPaths = QIcon::themeSearchPaths();
        for (const QString &directory : themeDirectories()) {
            if (!searchPaths.contains(directory))
                searchPaths.append(directory);
        }
        QIcon::setThemeSearchPaths(searchPaths);

        const QString current = QIcon::themeName();
        if (current.isEmpty() || current == u"hicolor" || !themeInstalled(current, searchPaths)) {
            for (const QString &theme : preferredThemes()) {
                if (themeInstalled(theme, searchPaths)) {
                    QIcon::setThemeName(theme);
                    break;
                }
            }
        }
        if (QIcon::fallbackThemeName().isEmpty())
            QIcon::setFallbackThemeName(QStringLiteral("hicolor"));

        QStringList fallbackPaths = QIcon::fallbackSearchPaths();
        for (const QString &directory : pixmapDirectories()) {
            if (!fallbackPaths.contains(directory))
                fallbackPaths.append(directory);
        }
        QIcon::setFallbackSearchPaths(fallbackPaths);
    });
}

} // namespace tessaly::IconTheme
