#pragma once

#include "history/ClipRecords.h"

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly {

// What the content part of a clip card shows for each kind of entry, kept apart from the QML
// that draws it.
namespace ClipContentRules {

// A text preview never shows more than this many user-perceived characters.
inline constexpr qsizetype previewLength = 700;
// The largest size an image thumbnail is drawn at, in device-independent pixels.
inline constexpr qreal imageMaxWidth = 356;
inline constexpr qreal imageMaxHeight = 140;
// The smallest width and height of a drawn thumbnail.
inline constexpr qreal imageMinSide = 24;

// The entry's text without leading and trailing white space and line breaks; empty when the
// entry has no text.
QString trimmedText(const std::optional<QString> &text);

// The text block of a text entry: trimmed, the first 700 characters, tabs as four spaces.
QString textPreview(const std::optional<QString> &text);

// The title of a link entry: the host of the trimmed text read as a URL, exactly as written
// (percent-encoding kept); the whole trimmed text when it has no host.
QString linkTitle(const std::optional<QString> &text);

// `text` laid out in `font` and wrapped anywhere at `width`, shortened in the middle with "…"
// until it fits in `maxLines` lines; unchanged when it already fits.
QString elideMiddle(const QString &text, const QFont &font, qreal width, int maxLines);

// The colour a colour entry's text names: "#rgb", "#rrggbb" or "#rrggbbaa" (the "#" optional,
// white space around it ignored); absent for anything else.
std::optional<QColor> colorFromHex(QStringView hex);

// The label beside a colour swatch: the trimmed text in upper case.
QString colorLabel(const std::optional<QString> &text);

// The size a thumbnail is drawn at. `pixelWidth` and `pixelHeight` are the image's stored
// pixel size; either one that is absent is taken from the thumbnail itself.
QSizeF imageDisplaySize(std::optional<qint64> pixelWidth, std::optional<qint64> pixelHeight,
                        const QSize &thumbnailSize);

// The first line of a file entry: the file names, in order, joined with ", ".
QString fileNamesLine(const QStringList &filePaths);
// The second line of a file entry: the folder that holds the first file, as a plain path
// (not percent-encoded); empty when there is no file.
QString fileFolderLine(const QStringList &filePaths);

} // namespace ClipContentRules
} // namespace tessaly
