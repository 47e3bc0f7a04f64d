#include "capture/ClipboardReader.h"

#include "history/Graphemes.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QUrl>

#include <algorithm>
#include <mutex>

namespace tessaly {

namespace {

bool intersects(const QSet<QString> &types, const QSet<QString> &markers)
{
    for (const QString &type : types) {
        if (markers.contains(type))
            return true;
    }
    return false;
}

// White space as the clipboard rules understand it: every Unicode separator, the C0 spaces and
// line breaks, and NEL (U+0085) — exactly what QChar::isSpace() answers true for.
bool isBlank(const std::optional<QString> &text)
{
    if (!text)
        return true;
    return std::all_of(text->cbegin(), text->cend(), [](QChar c) { return c.isSpace(); });
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// "#" followed by exactly 3, 6 or 8 hexadecimal digits.
bool isColorLiteral(const QString &text)
{
    const qsizetype digits = text.size() - 1;
    if (!text.startsWith(u'#') || (digits != 3 && digits != 6 && digits != 8))
        return false;
    return std::all_of(text.cbegin() + 1, text.cend(), isHexDigit);
}

// The file-system path of a file URL the way the history stores it: no trailing slash except
// for the root.
QString filePath(const QUrl &url)
{
    QString path = url.toLocalFile();
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString lastPathComponent(const QString &path)
{
    if (path == u"/")
        return path;
    return QFileInfo(path).fileName();
}

// What a decoder may hold at once while a thumbnail is made: no more than one representation may
// be. Copied data is small but may claim any size in its header.
constexpr qint64 decodingBudget = ClipboardReader::largestRepresentation;

// QImageReader's limit on the images its decoders allocate is one value for the whole process
// (Qt's default is 128 MiB). It is brought down to the budget once, before the first thumbnail;
// the program's own pictures (icons, thumbnails of at most 720 pixels) stay far below it.
void limitDecoderAllocations()
{
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(int(decodingBudget >> 20)); });
}

// The number of components of a JPEG coded in several scans (progressive, or sequential with a
// first scan that carries fewer components than the frame has), whose DCT coefficients libjpeg
// holds for the whole image; 0 for one coded in a single scan. The markers are walked as libjpeg
// walks them: bytes between segments are skipped up to the next 0xFF (a damaged length must not
// hide a later frame header from this check but not from libjpeg).
int multiScanJpegComponents(QByteArrayView data)
{
    qsizetype at = 2; // after the start-of-image marker
    int frameComponents = 0;
    bool progressive = false;
    while (at + 1 < data.size()) {
        if (uchar(data[at]) != 0xFF) {
            ++at;
            continue;
        }
        const uchar marker = uchar(data[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA) { // the first scan: every frame header came before it
            const bool partial = at + 4 >= data.size() || uchar(data[at + 4]) < frameComponents;
            return progressive || partial ? std::max(frameComponents, 1) : 0;
        }
        const bool frameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
            progressive = progressive || (marker & 0x03) == 0x02; // C2, C6, CA, CE
            if (at + 9 < data.size())
                frameComponents = uchar(data[at + 9]);
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (at + 4 > data.size())
            break;
        at += 2 + ((qsizetype(uchar(data[at + 2])) << 8) | uchar(data[at + 3]));
    }
    return progressive ? std::max(frameComponents, 1) : 0;
}

// Whether decoding an image of the size its header gives stays within the budget where
// QImageReader's limit cannot see: a decoder that cannot scale while decoding may hold the whole
// image beside the one it hands over (4 bytes a pixel), and libjpeg holds the DCT coefficients of
// the whole image for a JPEG of several scans, whatever the scale it is read at (2 bytes a pixel
// for each component, counted at full resolution). A JPEG of one scan is scaled while it is
// decoded, whatever its size.
bool fitsDecodingBudget(const QImageReader &reader, QSize size, QByteArrayView data)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (reader.format() == "jpeg")
        return pixels * 2 * multiScanJpegComponents(data) <= decodingBudget;
    return reader.supportsOption(QImageIOHandler::ScaledSize) || pixels * 4 <= decodingBudget;
}

} // namespace

const QSet<QString> &ClipboardReader::alwaysSkipTypes()
{
    static const QSet<QString> types = {
        QStringLiteral("org.nspasteboard.TransientType"),
        QStringLiteral("org.nspasteboard.AutoGeneratedType"),
        QStringLiteral("de.mirovane.TransientPasteboardType"),
        QStringLiteral("com.typeit4me.clipping"),
        QStringLiteral("Pasteboard generator type"),
    };
    return types;
}

const QSet<QString> &ClipboardReader::concealedTypes()
{
    static const QSet<QString> types = {
        QStringLiteral("org.nspasteboard.ConcealedType"),
        QStringLiteral("com.agilebits.onepassword"),
        QStringLiteral("net.quorbel.keeweb"),
        // Password managers on Linux desktops (KeePassXC and others) mark secrets with it.
        QStringLiteral("x-kde-passwordManagerHint"),
    };
    return types;
}

const QStringList &ClipboardReader::imageTypes()
{
    static const QStringList types = {
        QStringLiteral("image/png"),  QStringLiteral("image/tiff"), QStringLiteral("image/jpeg"),
        QStringLiteral("image/heic"), QStringLiteral("image/gif"),
    };
    return types;
}

const QSet<QString> &ClipboardReader::richTextTypes()
{
    static const QSet<QString> types = {
        QStringLiteral("text/rtf"),
        QStringLiteral("text/richtext"),
        QStringLiteral("application/rtf"),
        QStringLiteral("text/html"),
    };
    return types;
}

namespace {

// The type rules: a change marked transient or generated is never recorded, a concealed one
// (passwords) not while concealed changes are ignored.
bool skippedForTypes(const QSet<QString> &types, const ReadOptions &options)
{
    if (intersects(types, ClipboardReader::alwaysSkipTypes()))
        return true;
    return options.ignoreConcealed && intersects(types, ClipboardReader::concealedTypes());
}

// The source rules: nothing copied inside this program, nor in an application the user ignores.
bool skippedForSource(const std::optional<RunningApplication> &source, const ReadOptions &options)
{
    if (!source || !source->bundleID)
        return false;
    if (options.ownBundleID && *options.ownBundleID == *source->bundleID)
        return true;
    return options.ignoredBundleIDs.contains(*source->bundleID);
}

// What decides the entry: the files, else the text, else (with no visible text) the first image
// type on the clipboard and its data.
struct DecidingContent
{
    QList<QUrl> fileURLs;
    std::optional<QString> string;
    QString imageType;
    std::optional<QByteArray> imageData;
};

DecidingContent readDecidingContent(PasteboardReading &reading, const QSet<QString> &types)
{
    DecidingContent content;
    content.fileURLs = reading.fileURLs(ClipboardReader::largestRepresentation);
    if (!content.fileURLs.isEmpty())
        return content;
    content.string = reading.string(ClipboardReader::largestRepresentation);
    if (!isBlank(content.string))
        return content;
    for (const QString &type : ClipboardReader::imageTypes()) {
        if (types.contains(type)) {
            content.imageType = type;
            break;
        }
    }
    if (!content.imageType.isEmpty())
        content.imageData = reading.data(content.imageType, ClipboardReader::largestRepresentation);
    return content;
}

// The snapshot: every representation of every item, within the limits; absent when none could
// be read.
std::optional<Capture> snapshot(PasteboardReading &reading)
{
    const std::optional<QList<QStringList>> items = reading.items();
    if (!items)
        return std::nullopt;
    Capture capture;
    for (qsizetype index = 0; index < items->size(); ++index) {
        PayloadItem item;
        for (const QString &type : items->at(index)) {
            const qint64 room = std::min(ClipboardReader::largestRepresentation,
                                         ClipboardReader::largestSnapshot - capture.byteSize);
            const std::optional<QByteArray> bytes = reading.data(index, type, room);
            if (!bytes)
                continue; // none, or over a limit: later, smaller ones may still fit
            item.insert(type, *bytes);
            capture.byteSize += bytes->size();
        }
        if (!item.isEmpty())
            capture.payload.items.append(item);
    }
    if (capture.payload.items.isEmpty())
        return std::nullopt;
    return capture;
}

// The entry's kind, text, hash and image from what decides it; false when there is nothing to
// record (no files, no visible text and no readable image).
bool classifyContent(const DecidingContent &content, Capture &capture)
{
    if (!content.fileURLs.isEmpty()) {
        QStringList paths;
        QStringList names;
        for (const QUrl &url : content.fileURLs) {
            paths.append(filePath(url));
            names.append(lastPathComponent(paths.last()));
        }
        capture.kind = ClipKind::File;
        capture.filePaths = paths;
        capture.text = names.join(u'\n');
        capture.hash = ClipboardReader::filesHash(paths);
        return true;
    }
    if (!isBlank(content.string)) {
        const QString &string = *content.string;
        capture.kind = ClipboardReader::classify(string);
        capture.text = string.size() > ClipboardReader::longestText
                           ? Graphemes::prefix(string, ClipboardReader::longestText)
                           : string;
        capture.hash = ClipboardReader::textHash(string);
        return true;
    }
    if (content.imageType.isEmpty() || !content.imageData)
        return false;
    capture.kind = ClipKind::Image;
    capture.hash = ClipboardReader::hash(*content.imageData);
    if (auto thumbnail =
            ClipboardReader::makeThumbnail(*content.imageData, ClipboardReader::thumbnailSize)) {
        capture.thumbnailPNG = thumbnail->png;
        capture.thumbnailImage = thumbnail->image;
        capture.imageWidth = thumbnail->width;
        capture.imageHeight = thumbnail->height;
    }
    return true;
}

} // namespace

std::optional<Capture> ClipboardReader::read(PasteboardReading &reading, Workspace *workspace,
                                             const ReadOptions &options)
{
    // The type list decides whether anything may be read at all.
    const QStringList typeList = reading.types();
    if (typeList.isEmpty())
        return std::nullopt;
    const QSet<QString> types(typeList.cbegin(), typeList.cend());
    if (skippedForTypes(types, options))
        return std::nullopt;

    // The source application, asked once.
    std::optional<RunningApplication> source;
    if (workspace)
        source = workspace->frontmostApplication();
    if (skippedForSource(source, options))
        return std::nullopt;

    // What decides the entry is read before the rest of the snapshot, so that an owner that
    // runs out of time while offering dozens of conversions still yields the right entry, or
    // none at all.
    const DecidingContent content = readDecidingContent(reading, types);
    if (reading.isInterrupted())
        return std::nullopt;

    std::optional<Capture> capture = snapshot(reading);
    if (!capture)
        return std::nullopt;
    capture->hasRichText = intersects(types, richTextTypes());
    if (source) {
        capture->sourceBundleID = source->bundleID;
        capture->sourceAppName = source->localizedName;
    }
    if (!classifyContent(content, *capture))
        return std::nullopt;
    return capture;
}

ClipKind ClipboardReader::classify(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (isColorLiteral(trimmed))
        return ClipKind::Color;
    if (std::any_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) { return c.isSpace(); }))
        return ClipKind::Text;

    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return ClipKind::Text;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"mailto")
        return ClipKind::Link;
    if (scheme != u"http" && scheme != u"https" && scheme != u"ftp")
        return ClipKind::Text;
    return url.host().isEmpty() ? ClipKind::Text : ClipKind::Link;
}

std::optional<Thumbnail> ClipboardReader::makeThumbnail(const QByteArray &data, int maxPixel)
{
    QByteArray bytes = data; // shared, not copied: QBuffer only reads
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    limitDecoderAllocations();
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true); // the image's orientation, as its metadata says
    if (!reader.canRead())
        return std::nullopt;

    Thumbnail thumbnail;
    const QSize sourceSize = reader.size();
    if (sourceSize.isValid()) {
        if (!fitsDecodingBudget(reader, sourceSize, bytes))
            return std::nullopt;
        thumbnail.width = sourceSize.width();
        thumbnail.height = sourceSize.height();
        // Decoders that can scale while decoding (PNG row by row unless interlaced, JPEG in the
        // DCT) never hold the full image.
        if (std::max(sourceSize.width(), sourceSize.height()) > maxPixel)
            reader.setScaledSize(
                sourceSize.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio).expandedTo({1, 1}));
    }
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (std::max(image.width(), image.height()) > maxPixel)
        image = image.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, "png");
    if (writer.write(image))
        thumbnail.png = png;
    thumbnail.image = image;
    return thumbnail;
}

QString ClipboardReader::hash(QByteArrayView data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString ClipboardReader::textHash(const QString &text)
{
    return hash(QByteArray("text:") + text.toUtf8());
}

QString ClipboardReader::filesHash(const QStringList &paths)
{
    return hash(QByteArray("file:") + paths.join(u'\n').toUtf8());
}

} // namespace tessaly
