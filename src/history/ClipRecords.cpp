#include "history/ClipRecords.h"

#include "history/Graphemes.h"

#include <QFileInfo>

#include <algorithm>

namespace tessaly {

QString clipKindName(ClipKind kind)
{
    switch (kind) {
    case ClipKind::Text:
        return QStringLiteral("text");
    case ClipKind::Link:
        return QStringLiteral("link");
    case ClipKind::Color:
        return QStringLiteral("color");
    case ClipKind::Image:
        return QStringLiteral("image");
    case ClipKind::File:
        return QStringLiteral("file");
    }
    return {};
}

std::optional<ClipKind> clipKindFromName(QStringView name)
{
    for (ClipKind kind :
         {ClipKind::Text, ClipKind::Link, ClipKind::Color, ClipKind::Image, ClipKind::File}) {
        if (name == clipKindName(kind))
            return kind;
    }
    return std::nullopt;
}

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromText(QStringView text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return std::nullopt;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') ||
                     (c >= u'A' && c <= u'F'))) {
            return std::nullopt;
        }
    }
    const QUuid id = QUuid::fromString(text);
    if (id.isNull() && text != u"00000000-0000-0000-0000-000000000000")
        return std::nullopt;
    return id;
}

void PayloadItem::insert(const QString &type, const QByteArray &data)
{
    for (auto &representation : m_representations) {
        if (representation.first == type) {
            representation.second = data;
            return;
        }
    }
    m_representations.append({type, data});
}

bool PayloadItem::contains(const QString &type) const
{
    return std::any_of(m_representations.cbegin(), m_representations.cend(),
                       [&](const Representation &r) { return r.first == type; });
}

std::optional<QByteArray> PayloadItem::value(const QString &type) const
{
    for (const auto &representation : m_representations) {
        if (representation.first == type)
            return representation.second;
    }
    return std::nullopt;
}

QStringList PayloadItem::types() const
{
    QStringList result;
    result.reserve(m_representations.size());
    for (const auto &representation : m_representations)
        result.append(representation.first);
    return result;
}

qint64 PayloadItem::byteSize() const
{
    qint64 total = 0;
    for (const auto &representation : m_representations)
        total += representation.second.size();
    return total;
}

bool operator==(const PayloadItem &a, const PayloadItem &b)
{
    if (a.m_representations.size() != b.m_representations.size())
        return false;
    return std::all_of(a.m_representations.cbegin(), a.m_representations.cend(),
                       [&](const PayloadItem::Representation &r) {
                           const auto other = b.value(r.first);
                           return other && *other == r.second;
                       });
}

qint64 ClipPayload::byteSize() const
{
    qint64 total = 0;
    for (const auto &item : items)
        total += item.byteSize();
    return total;
}

namespace {

// Case-insensitive containment that respects accents. Both sides are brought to the composed
// form first, so text copied with decomposed accents (common in file names) is found by a
// query typed with composed ones, and the other way round.
bool containsFolded(const QString &haystack, const QString &needle)
{
    return haystack.normalized(QString::NormalizationForm_C).contains(needle, Qt::CaseInsensitive);
}

} // namespace

bool ClipItem::matches(const QString &query) const
{
    const QString needle = query.normalized(QString::NormalizationForm_C);
    if (text && text->containsFolded(needle))
        return true;
    if (filePaths) {
        for (const QString &path : *filePaths) {
            if (containsFolded(path, needle))
                return true;
        }
    }
    if (sourceAppName && containsFolded(*sourceAppName, needle))
        return true;
    if (kind == ClipKind::Image) {
        return QStringLiteral("imagem").contains(needle, Qt::CaseInsensitive) ||
               QStringLiteral("image").contains(needle, Qt::CaseInsensitive);
    }
    return false;
}

QList<QUrl> ClipItem::fileURLs() const
{
    QList<QUrl> urls;
    if (!filePaths)
        return urls;
    urls.reserve(filePaths->size());
    for (const QString &path : *filePaths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

namespace {

// Line breaks: LF, VT, FF, CR, NEL, LINE SEPARATOR, PARAGRAPH SEPARATOR.
bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// White space within a line: the tab and the space separators.
bool isHorizontalSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedHorizontally(QStringView line)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && isHorizontalSpace(line[start]))
        ++start;
    while (end > start && isHorizontalSpace(line[end - 1]))
        --end;
    return line.sliced(start, end - start).toString();
}

QString textTitle(const QString &text)
{
    constexpr qsizetype longestLook = 700;
    constexpr qsizetype longestTitle = 48;
    QString head = Graphemes::prefix(text.trimmed(), longestLook);
    head.replace(u'\t', QStringLiteral("    "));
    QString line;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= head.size(); ++i) {
        if (i < head.size() && !isLineBreak(head[i]))
            continue;
        line = trimmedHorizontally(QStringView(head).sliced(start, i - start));
        if (!line.isEmpty())
            break;
        start = i + 1;
    }
    if (Graphemes::count(line) <= longestTitle)
        return line;
    return Graphemes::prefix(line, longestTitle) + u'…';
}

} // namespace

QString ClipItem::menuTitle() const
{
    switch (kind) {
    case ClipKind::File: {
        const QStringList paths = filePaths.value_or(QStringList{});
        if (paths.isEmpty())
            return QStringLiteral("Arquivo");
        const auto name = [](const QString &path) {
            return path == u"/" ? path : QFileInfo(path).fileName();
        };
        if (paths.size() == 1)
            return name(paths.first());
        return name(paths.first()) + QStringLiteral(" + ") + QString::number(paths.size() - 1);
    }
    case ClipKind::Image:
        if (!imageWidth || !imageHeight)
            return QStringLiteral("Imagem");
        return QStringLiteral("Imagem %1 × %2").arg(*imageWidth).arg(*imageHeight);
    default:
        return textTitle(text.value_or(QString()));
    }
}

} // namespace tessaly
