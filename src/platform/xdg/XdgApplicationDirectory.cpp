#include "platform/xdg/XdgApplicationDirectory.h"

#include "platform/xdg/DesktopEntries.h"
#include "platform/xdg/IconTheme.h"

#include <QFileInfo>

namespace tessaly {

XdgApplicationDirectory::XdgApplicationDirectory(DesktopEntries &entries) : m_entries(entries)
{
    IconTheme::ensureConfigured();
}

XdgApplicationDirectory::XdgApplicationDirectory()
    : XdgApplicationDirectory(DesktopEntries::shared())
{}

QIcon XdgApplicationDirectory::iconNamed(const QString &iconName)
{
    if (iconName.isEmpty())
        return {};
    if (QFileInfo(iconName).isAbsolute())
        return QFileInfo::exists(iconName) ? QIcon(iconName) : QIcon();
    QIcon icon = QIcon::fromTheme(iconName);
    if (!icon.isNull())
        return icon;
    // Unthemed icons in the pixmaps directories, by their usual extensions (some names carry
    // one already).
    for (const QString &directory : IconTheme::pixmapDirectories()) {
        for (const QString &suffix :
             {QString(), QStringLiteral(".png"), QStringLiteral(".svg"), QStringLiteral(".xpm")}) {
            const QString path = directory + u'/' + iconName + suffix;
            if (QFileInfo(path).isFile())
                return QIcon(path);
        }
    }
    return {};
}

std::optional<InstalledApplication> XdgApplicationDirectory::application(const QString &bundleID)
{
    if (bundleID.isEmpty())
        return std::nullopt;
    std::optional<DesktopEntry> entry = m_entries.byId(bundleID);
    if (!entry)
        entry = m_entries.byFileName(bundleID);
    if (!entry)
        entry = m_entries.byStartupWMClass(bundleID);
    if (!entry)
        return std::nullopt;

    QIcon icon = iconNamed(entry->iconName);
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return InstalledApplication{entry->name, icon};
}

} // namespace tessaly
