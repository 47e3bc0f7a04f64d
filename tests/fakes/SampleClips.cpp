#include "fakes/SampleClips.h"

#include "capture/ClipboardReader.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tessaly::test {

namespace {

ClipItem base(ClipKind kind, Instant now, double ageSeconds, const QString &bundleID,
              const QString &appName, const QByteArray &content)
{
    ClipItem item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.createdAt = now.addingSeconds(-ageSeconds);
    item.lastUsedAt = item.createdAt;
    // Unique to the entry (as the views' tests want it), whatever its content.
    item.contentHash = ClipboardReader::hash(content + item.id.toByteArray());
    item.byteSize = content.size();
    if (!bundleID.isEmpty())
        item.sourceBundleID = bundleID;
    if (!appName.isEmpty())
        item.sourceAppName = appName;
    return item;
}

} // namespace

ClipItem sampleText(const QString &text, Instant now, double ageSeconds, const QString &bundleID,
                    const QString &appName)
{
    ClipItem item = base(ClipKind::Text, now, ageSeconds, bundleID, appName, text.toUtf8());
    item.text = text;
    return item;
}

ClipItem sampleLink(const QString &url, Instant now, double ageSeconds, const QString &bundleID,
                    const QString &appName)
{
    ClipItem item = base(ClipKind::Link, now, ageSeconds, bundleID, appName, url.toUtf8());
    item.text = url;
    return item;
}

ClipItem sampleColor(const QString &hex, Instant now, double ageSeconds)
{
    ClipItem item = base(ClipKind::Color, now, ageSeconds, {}, {}, hex.toUtf8());
    item.text = hex;
    return item;
}

ClipItem sampleImage(qint64 width, qint64 height, Instant now, double ageSeconds,
                     const QString &bundleID, const QString &appName)
{
    ClipItem item = base(ClipKind::Image, now, ageSeconds, bundleID, appName, "image");
    item.imageWidth = width;
    item.imageHeight = height;
    return item;
}

ClipItem sampleFiles(const QStringList &paths, Instant now, double ageSeconds,
                     const QString &bundleID, const QString &appName)
{
    ClipItem item =
        base(ClipKind::File, now, ageSeconds, bundleID, appName, paths.join(u'\n').toUtf8());
    item.filePaths = paths;
    QStringList names;
    for (const QString &path : paths)
        names.append(path.section(u'/', -1));
    item.text = names.join(u'\n');
    return item;
}

QImage sampleThumbnail(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x4f, 0x8d, 0xd6));
    sky.setColorAt(1, QColor(0xf6, 0xc4, 0x8b));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xf1, 0xc9));
    painter.drawEllipse(QPointF(width * 0.72, height * 0.35), height * 0.12, height * 0.12);
    QPainterPath far;
    far.moveTo(0, height * 0.7);
    far.cubicTo(width * 0.3, height * 0.45, width * 0.55, height * 0.8, width, height * 0.55);
    far.lineTo(width, height);
    far.lineTo(0, height);
    painter.setBrush(QColor(0x5b, 0x7f, 0x5a));
    painter.drawPath(far);
    QPainterPath near;
    near.moveTo(0, height * 0.85);
    near.cubicTo(width * 0.4, height * 0.7, width * 0.7, height * 0.95, width, height * 0.8);
    near.lineTo(width, height);
    near.lineTo(0, height);
    painter.setBrush(QColor(0x36, 0x5a, 0x3c));
    painter.drawPath(near);
    return image;
}

} // namespace tessaly::test
