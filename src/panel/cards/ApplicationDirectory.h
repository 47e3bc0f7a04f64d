#pragma once

#include <QIcon>
#include <QString>

#include <optional>

namespace tessaly {

// An installed application, as the desktop knows it.
struct InstalledApplication
{
    QString name;
    // Its own icon, or the desktop's generic application icon when it has none.
    QIcon icon;
};

// Finds installed applications by the identifier the history records for them.
class ApplicationDirectory
{
public:
    virtual ~ApplicationDirectory() = default;

    // Absent when no installed application answers to the identifier.
    virtual std::optional<InstalledApplication> application(const QString &bundleID) = 0;
};

} // namespace tessaly
