#pragma once

#include <QColor>
#include <QQuickImageProvider>
#include <QSizeF>
#include <QUrl>
#include <QUuid>

namespace tessaly {

class CardImageSource;

// Serves the pictures of the panel to QML under "image://tessaly/…": application icons, file
// icons, thumbnails (scaled and with rounded corners, so that any scene graph backend can draw
// them) and tinted symbols for menus. Drawn at the size the view asks for, on the GUI thread.
class CardImageProvider : public QQuickImageProvider
{
public:
    static constexpr auto providerName = "tessaly";
    // The corner radius of a drawn thumbnail, in device-independent pixels.
    static constexpr qreal thumbnailCornerRadius = 6;

    // Without a source, only symbols are served.
    explicit CardImageProvider(CardImageSource *source);

    static QUrl appIconUrl(const QString &bundleID);
    static QUrl fileIconUrl(const QString &path);
    // The thumbnail drawn at `displaySize` (device-independent pixels).
    static QUrl thumbnailUrl(const QUuid &id, const QSizeF &displaySize);
    // A symbol of the bundled set (by its interface name) in one colour.
    static QUrl symbolUrl(const QString &name, const QColor &color);

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    QImage thumbnail(const QString &key, QStringView displaySize, const QSize &requestedSize);

    CardImageSource *m_source;
};

} // namespace tessaly
