#include "fakes/FakeCardBackends.h"

namespace tessaly::test {

QString FakeCardFormatting::relativeText(Instant date, Instant reference) const
{
    const double seconds = reference.secondsSince(date);
    if (seconds < 60)
        return QStringLiteral("há %1 s").arg(qint64(seconds));
    if (seconds < 3600)
        return QStringLiteral("há %1 min").arg(qint64(seconds / 60));
    if (seconds < 86400)
        return QStringLiteral("há %1 h").arg(qint64(seconds / 3600));
    const qint64 days = qint64(seconds / 86400);
    return days == 1 ? QStringLiteral("há 1 dia") : QStringLiteral("há %1 dias").arg(days);
}

std::optional<QString> FakeCardFormatting::detail(const ClipItem &item) const
{
    switch (item.kind) {
    case ClipKind::Text:
        if (item.text && item.text->size() > 140)
            return QStringLiteral("%1 caracteres").arg(item.text->size());
        return std::nullopt;
    case ClipKind::Image:
        if (item.imageWidth && item.imageHeight)
            return QStringLiteral("%1 × %2").arg(*item.imageWidth).arg(*item.imageHeight);
        return std::nullopt;
    case ClipKind::File:
        if (item.filePaths && item.filePaths->size() > 1)
            return QStringLiteral("%1 itens").arg(item.filePaths->size());
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

QIcon FakeCardImageSource::appIcon(const QString &bundleID)
{
    return appIcons.value(bundleID);
}

QIcon FakeCardImageSource::fileIcon(const QString &path)
{
    return fileIcons.value(path, genericFileIcon);
}

QImage FakeCardImageSource::thumbnail(const QUuid &id)
{
    ++thumbnailLookups;
    return thumbnails.value(id);
}

} // namespace tessaly::test
