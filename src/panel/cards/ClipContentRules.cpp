#include "panel/cards/ClipContentRules.h"

#include "history/Graphemes.h"

#include <QTextLayout>
#include <QUrl>

#include <algorithm>

namespace tessaly::ClipContentRules {

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The path without trailing slashes, except that the root stays "/".
QString withoutTrailingSlashes(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    return path.left(end);
}

QString lastPathComponent(const QString &path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    if (trimmed == QStringLiteral("/"))
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

// The host of `url` exactly as written in `text`: the authority after "//", without user
// information and port.
QString writtenHost(const QString &text)
{
    const qsizetype start = text.indexOf(QStringLiteral("//"));
    if (start < 0)
        return {};
    qsizetype end = start + 2;
    while (end < text.size() && text.at(end) != u'/' && text.at(end) != u'?' &&
           text.at(end) != u'#')
        ++end;
    QString authority = text.mid(start + 2, end - start - 2);
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0)
        authority = authority.mid(at + 1);
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        return close < 0 ? QString() : authority.left(close + 1);
    }
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon >= 0)
        authority = authority.left(colon);
    return authority;
}

int lineCount(const QString &text, const QFont &font, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

// `count` code units of `text`, half from each end, around an ellipsis; a cut never splits a
// surrogate pair.
QString middleCut(const QString &text, qsizetype count)
{
    qsizetype head = (count + 1) / 2;
    qsizetype tail = count - head;
    if (head > 0 && text.at(head - 1).isHighSurrogate())
        --head;
    if (tail > 0 && text.at(text.size() - tail).isLowSurrogate())
        --tail;
    return text.left(head) + QStringLiteral("…") + text.right(tail);
}

} // namespace

QString elideMiddle(const QString &text, const QFont &font, qreal width, int maxLines)
{
    if (width <= 0 || maxLines < 1 || lineCount(text, font, width) <= maxLines)
        return text;
    // The most characters that still fit, by bisection.
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (lineCount(middleCut(text, middle), font, width) <= maxLines)
            low = middle;
        else
            high = middle - 1;
    }
    return middleCut(text, low);
}

QString trimmedText(const std::optional<QString> &text)
{
    return text ? text->trimmed() : QString();
}

QString textPreview(const std::optional<QString> &text)
{
    QString preview = Graphemes::prefix(trimmedText(text), previewLength);
    preview.replace(u'\t', QStringLiteral("    "));
    return preview;
}

QString linkTitle(const std::optional<QString> &text)
{
    const QString trimmed = trimmedText(text);
    const QUrl url(trimmed, QUrl::StrictMode);
    if (url.isValid() && !url.host().isEmpty()) {
        const QString host = writtenHost(trimmed);
        if (!host.isEmpty())
            return host;
    }
    return trimmed;
}

std::optional<QColor> colorFromHex(QStringView hex)
{
    QString digits = hex.trimmed().toString();
    if (digits.startsWith(u'#'))
        digits.remove(0, 1);
    if (digits.size() == 3) {
        QString doubled;
        doubled.reserve(6);
        for (QChar c : std::as_const(digits))
            doubled.append(c).append(c);
        digits = doubled;
    }
    if (digits.isEmpty() || (digits.size() != 6 && digits.size() != 8))
        return std::nullopt;
    if (!std::all_of(digits.cbegin(), digits.cend(), isHexDigit))
        return std::nullopt;
    const quint32 value = digits.toUInt(nullptr, 16);
    const auto byte = [value](int shift) { return int((value >> shift) & 0xff); };
    if (digits.size() == 6)
        return QColor::fromRgb(byte(16), byte(8), byte(0), 255);
    return QColor::fromRgb(byte(24), byte(16), byte(8), byte(0));
}

QString colorLabel(const std::optional<QString> &text)
{
    return trimmedText(text).toUpper();
}

QSizeF imageDisplaySize(std::optional<qint64> pixelWidth, std::optional<qint64> pixelHeight,
                        const QSize &thumbnailSize)
{
    const qint64 width = pixelWidth.value_or(thumbnailSize.width());
    const qint64 height = pixelHeight.value_or(thumbnailSize.height());
    if (width < 1 || height < 1)
        return {imageMaxWidth, imageMaxHeight};
    // Pixels are drawn at two per device-independent pixel, and never enlarged.
    const qreal naturalWidth = qreal(width) / 2;
    const qreal naturalHeight = qreal(height) / 2;
    const qreal scale =
        std::min({qreal(1), imageMaxWidth / naturalWidth, imageMaxHeight / naturalHeight});
    return {std::max(naturalWidth * scale, imageMinSide),
            std::max(naturalHeight * scale, imageMinSide)};
}

QString fileNamesLine(const QStringList &filePaths)
{
    QStringList names;
    names.reserve(filePaths.size());
    for (const QString &path : filePaths)
        names.append(lastPathComponent(path));
    return names.join(QStringLiteral(", "));
}

QString fileFolderLine(const QStringList &filePaths)
{
    if (filePaths.isEmpty())
        return {};
    const QString path = withoutTrailingSlashes(filePaths.first());
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

} // namespace tessaly::ClipContentRules
