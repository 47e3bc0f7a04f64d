#include "panel/cards/CardServices.h"

#include "history/ClipRecords.h"
#include "panel/cards/CardFormatting.h"
#include "panel/cards/CardImageProvider.h"
#include "panel/cards/CardImageSource.h"
#include "panel/cards/CardWorkspace.h"
#include "panel/cards/ClipCardRules.h"
#include "panel/cards/ClipContentRules.h"

namespace tessaly {

namespace {

ClipItem clipOf(const QVariant &entry)
{
    return entry.value<ClipItem>();
}

QSize thumbnailSize(CardImageSource *images, const ClipItem &item)
{
    if (!images || item.kind != ClipKind::Image)
        return {};
    const QImage thumbnail = images->thumbnail(item.id);
    return thumbnail.isNull() ? QSize() : thumbnail.size();
}

} // namespace

CardServices::CardServices(QObject *parent) : QObject(parent) {}

void CardServices::setBackends(const CardFormatting *formatting, CardImageSource *images,
                               CardWorkspace *workspace)
{
    m_formatting = formatting;
    m_images = images;
    m_workspace = workspace;
}

QStringList CardServices::metaPieces(const QVariant &entry, const QDateTime &now) const
{
    const ClipItem item = clipOf(entry);
    ClipCardRules::RelativeText relative;
    if (m_formatting) {
        relative = [formatting = m_formatting](Instant date, Instant reference) {
            return formatting->relativeText(date, reference);
        };
    }
    const QString age =
        ClipCardRules::ageText(item.lastUsedAt, Instant::fromDateTime(now), relative);
    const std::optional<QString> detail =
        m_formatting ? m_formatting->detail(item) : std::optional<QString>();
    return ClipCardRules::metaPieces(item.sourceAppName, age, detail);
}

QUrl CardServices::appIconSource(const QVariant &entry) const
{
    const ClipItem item = clipOf(entry);
    if (!m_images || !item.sourceBundleID || m_images->appIcon(*item.sourceBundleID).isNull())
        return {};
    return CardImageProvider::appIconUrl(*item.sourceBundleID);
}

QUrl CardServices::fileIconSource(const QVariant &entry) const
{
    const ClipItem item = clipOf(entry);
    if (!m_images || !item.filePaths || item.filePaths->isEmpty() ||
        m_images->fileIcon(item.filePaths->first()).isNull())
        return {};
    return CardImageProvider::fileIconUrl(item.filePaths->first());
}

QUrl CardServices::thumbnailSource(const QVariant &entry) const
{
    const ClipItem item = clipOf(entry);
    const QSize size = thumbnailSize(m_images, item);
    if (!size.isValid())
        return {};
    return CardImageProvider::thumbnailUrl(
        item.id, ClipContentRules::imageDisplaySize(item.imageWidth, item.imageHeight, size));
}

QSizeF CardServices::imageDisplaySize(const QVariant &entry) const
{
    const ClipItem item = clipOf(entry);
    return ClipContentRules::imageDisplaySize(item.imageWidth, item.imageHeight,
                                              thumbnailSize(m_images, item));
}

void CardServices::revealFiles(const QVariant &entry) const
{
    const QList<QUrl> files = clipOf(entry).fileURLs();
    if (m_workspace && !files.isEmpty())
        m_workspace->revealFiles(files);
}

void CardServices::openLink(const QVariant &entry) const
{
    if (!m_workspace)
        return;
    if (const auto url = ClipCardRules::linkURL(clipOf(entry)))
        m_workspace->openUrl(*url);
}

} // namespace tessaly
