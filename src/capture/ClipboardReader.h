#pragma once

#include "capture/Pasteboard.h"
#include "history/ClipRecords.h"
#include "platform/Workspace.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly {

// A thumbnail of copied image data: the PNG (absent when it could not be encoded) and the size
// of the source image, plus the decoded thumbnail itself so the main thread need not decode it.
struct Thumbnail
{
    std::optional<QByteArray> png;
    qint64 width = 0;
    qint64 height = 0;
    QImage image;
};

// What reading needs to know besides the clipboard, taken on the main thread when the change is
// noticed.
struct ReadOptions
{
    bool ignoreConcealed = true;
    QStringList ignoredBundleIDs;
    // This program's own application id; absent when it is not known.
    std::optional<QString> ownBundleID;
};

// The rules that turn one clipboard change into a capture: what is never recorded, the size
// limits of the snapshot, how the kind is chosen, what the content hash covers. Stateless; runs
// on the capture worker thread.
class ClipboardReader
{
public:
    // A representation longer than this is left out of the snapshot (25 MiB).
    static constexpr qint64 largestRepresentation = 26'214'400;
    // A representation that would bring the snapshot above this is left out (60 MiB).
    static constexpr qint64 largestSnapshot = 62'914'560;
    // Stored text is cut to this many user-perceived characters.
    static constexpr qsizetype longestText = 200'000;
    // The longer side of a thumbnail, in pixels.
    static constexpr int thumbnailSize = 720;

    // A change carrying any of these is never recorded (markers of transient or generated
    // content).
    static const QSet<QString> &alwaysSkipTypes();
    // A change carrying any of these is not recorded while ignoreConcealed is on (passwords).
    static const QSet<QString> &concealedTypes();
    // The first of these on the clipboard is the image.
    static const QStringList &imageTypes();
    // Any of these makes hasRichText true.
    static const QSet<QString> &richTextTypes();

    // The capture for the clipboard's contents, or absent when the change must not (or cannot)
    // be recorded. `workspace` may be null (no source application is known then).
    static std::optional<Capture> read(PasteboardReading &reading, Workspace *workspace,
                                       const ReadOptions &options);

    // text, link or color, from the whole copied string.
    static ClipKind classify(const QString &text);
    // A thumbnail whose longer side is at most maxPixel, with the image's orientation applied;
    // absent when the data does not decode as an image, or when decoding it would hold more than
    // largestRepresentation at once (whatever size the image's header claims).
    static std::optional<Thumbnail> makeThumbnail(const QByteArray &data, int maxPixel);
    // SHA-256 as 64 lower-case hexadecimal digits.
    static QString hash(QByteArrayView data);
    // The hash of a text, link or colour entry: of the whole copied string, marked as text.
    static QString textHash(const QString &text);
    // The hash of a file entry: of its paths, one a line, marked as files (so that a text equal
    // to a path is another entry).
    static QString filesHash(const QStringList &paths);
};

} // namespace tessaly
