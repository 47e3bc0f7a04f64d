#pragma once

#include "panel/cards/ApplicationDirectory.h"

namespace tessaly {

class DesktopEntries;

// Installed applications from their desktop entries. An identifier names the entry with that
// id, else the entry whose file name matches it (case-insensitively), else the entry whose
// StartupWMClass matches it (identifiers recorded from a window's class). The icon comes from
// the entry's Icon through the icon theme (or the file it names), else the theme's generic
// application icon.
class XdgApplicationDirectory : public ApplicationDirectory
{
public:
    // Configures the icon theme (IconTheme::ensureConfigured).
    explicit XdgApplicationDirectory(DesktopEntries &entries);
    XdgApplicationDirectory();

    std::optional<InstalledApplication> application(const QString &bundleID) override;

    // The icon named by a desktop entry's Icon value (a theme name or an absolute path).
    static QIcon iconNamed(const QString &iconName);

private:
    DesktopEntries &m_entries;
};

} // namespace tessaly
