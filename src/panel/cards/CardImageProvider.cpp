#include "panel/cards/CardImageProvider.h"

#include "history/ClipRecords.h"
#include "panel/theme/Symbols.h"
#include "panel/cards/CardImageSource.h"

#include <QIcon>
#include <QPainter>

namespace tessaly {

namespace {

// Icons asked for without a size are drawn at this size.
constexpr int defaultIconSide = 64;

// Names and paths may hold any character; base64url keeps them intact inside a URL.
QString encodeKey(const QString &key)
{
    return QString::fromLatin1(
        key.toUtf8().toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString decodeKey(QStringView encoded)
{
    return QString::fromUtf8(QByteArray::fromBase64(
        encoded.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QUrl imageUrl(const QStringList &parts)
{
    return QUrl(QStringLiteral("image://%1/%2")
                    .arg(QLatin1String(CardImageProvider::providerName), parts.join(u'/')));
}

QSize sizeOrDefault(const QSize &requestedSize)
{
    return requestedSize.isValid() && !requestedSize.isEmpty()
               ? requestedSize
               : QSize(defaultIconSide, defaultIconSide);
}

QImage iconImage(const QIcon &icon, const QSize &requestedSize)
{
    if (icon.isNull())
        return {};
    return icon.pixmap(sizeOrDefault(requestedSize)).toImage();
}

QImage tinted(QImage image, const QColor &color)
{
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

} // namespace

CardImageProvider::CardImageProvider(CardImageSource *source)
    : QQuickImageProvider(QQuickImageProvider::Image), m_source(source)
{}

QUrl CardImageProvider::appIconUrl(const QString &bundleID)
{
    return imageUrl({QStringLiteral("app"), encodeKey(bundleID)});
}

QUrl CardImageProvider::fileIconUrl(const QString &path)
{
    return imageUrl({QStringLiteral("file"), encodeKey(path)});
}

QUrl CardImageProvider::thumbnailUrl(const QUuid &id, const QSizeF &displaySize)
{
    return imageUrl({QStringLiteral("thumb"), encodeKey(uuidText(id)),
                     QStringLiteral("%1x%2").arg(displaySize.width()).arg(displaySize.height())});
}

QUrl CardImageProvider::symbolUrl(const QString &name, const QColor &color)
{
    return imageUrl(
        {QStringLiteral("symbol"), encodeKey(name), color.name(QColor::HexArgb).mid(1)});
}

QImage CardImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const QList<QStringView> parts = QStringView(id).split(u'/');
    QImage image;
    if (parts.size() >= 2) {
        const QStringView kind = parts.at(0);
        const QString key = decodeKey(parts.at(1));
        if (kind == u"app" && m_source) {
            image = iconImage(m_source->appIcon(key), requestedSize);
        } else if (kind == u"file" && m_source) {
            image = iconImage(m_source->fileIcon(key), requestedSize);
        } else if (kind == u"thumb" && m_source && parts.size() == 3) {
            image = thumbnail(key, parts.at(2), requestedSize);
        } else if (kind == u"symbol" && parts.size() == 3) {
            const QString path = Symbols::resourcePath(key);
            const QColor color = QColor::fromString(u'#' + parts.at(2).toString());
            if (!path.isEmpty() && color.isValid())
                image = tinted(iconImage(QIcon(path), requestedSize), color);
        }
    }
    if (size)
        *size = image.size();
    return image;
}

QImage CardImageProvider::thumbnail(const QString &key, QStringView displaySize,
                                    const QSize &requestedSize)
{
    const auto uuid = uuidFromText(key);
    if (!uuid)
        return {};
    const QImage source = m_source->thumbnail(*uuid);
    const QList<QStringView> sides = displaySize.split(u'x');
    const qreal logicalWidth = sides.size() == 2 ? sides.at(0).toDouble() : 0;
    const qreal logicalHeight = sides.size() == 2 ? sides.at(1).toDouble() : 0;
    if (source.isNull() || logicalWidth <= 0 || logicalHeight <= 0)
        return {};

    // The view asks for its size in device pixels; the corner radius follows the same scale.
    const QSize target = requestedSize.isValid() && !requestedSize.isEmpty()
                             ? requestedSize
                             : QSizeF(logicalWidth, logicalHeight).toSize().expandedTo({1, 1});
    const qreal radius = thumbnailCornerRadius * target.width() / logicalWidth;

    // Filling the rounded shape with the scaled picture keeps its edges antialiased.
    QImage rounded(target, QImage::Format_ARGB32_Premultiplied);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(
        QBrush(source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(target)), radius, radius);
    painter.end();
    return rounded;
}

} // namespace tessaly
