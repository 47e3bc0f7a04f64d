#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <QUuid>

namespace tessaly {

// Where a clip card's pictures come from: the desktop's application and file icons and the
// history's thumbnails. Called on the GUI thread; an implementation caches its lookups.
class CardImageSource
{
public:
    virtual ~CardImageSource() = default;

    // The icon of the application with that id; null when none is installed.
    virtual QIcon appIcon(const QString &bundleID) = 0;
    // The icon of a file, or of its type when it no longer exists; never null.
    virtual QIcon fileIcon(const QString &path) = 0;
    // The thumbnail of an image entry; null when it has none.
    virtual QImage thumbnail(const QUuid &id) = 0;
};

} // namespace tessaly
