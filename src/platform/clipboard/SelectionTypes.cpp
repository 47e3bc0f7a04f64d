#include "platform/clipboard/SelectionTypes.h"

#include <QSet>
#include <QStringDecoder>

namespace tessaly::clipboard::SelectionTypes {

namespace {

bool isLatin1Target(const QString &target)
{
    return target == u"STRING";
}

QByteArray withoutTrailingNul(QByteArray bytes)
{
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes;
}

std::optional<QUrl> localFileURL(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#'))
        return std::nullopt;
    const QUrl url(QString::fromUtf8(trimmed), QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().compare(u"file", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (!url.path().startsWith(u'/'))
        return std::nullopt;
    QUrl local = url;
    local.setHost(QString());
    return local;
}

QList<QUrl> fileURLsFromLines(const QList<QByteArray> &lines)
{
    QList<QUrl> urls;
    for (const QByteArray &line : lines) {
        if (const auto url = localFileURL(line))
            urls.append(*url);
    }
    return urls;
}

} // namespace

bool isMetaTarget(const QString &target)
{
    static const QSet<QString> meta = {
        QStringLiteral("TARGETS"),         QStringLiteral("MULTIPLE"),
        QStringLiteral("TIMESTAMP"),       QStringLiteral("SAVE_TARGETS"),
        QStringLiteral("DELETE"),          QStringLiteral("INSERT_SELECTION"),
        QStringLiteral("INSERT_PROPERTY"),
    };
    return meta.contains(target);
}

const QStringList &utf8TextTargets()
{
    static const QStringList targets = {
        QStringLiteral("UTF8_STRING"),
        QStringLiteral("text/plain;charset=utf-8"),
        QStringLiteral("text/plain"),
    };
    return targets;
}

QString latin1TextTarget()
{
    return QStringLiteral("STRING");
}

std::optional<QString> decodeText(const QString &target, const QByteArray &bytes)
{
    const QByteArray text = withoutTrailingNul(bytes);
    if (isLatin1Target(target))
        return QString::fromLatin1(text);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder(text);
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}

QString decodeTextLeniently(const QString &target, const QByteArray &bytes)
{
    const QByteArray text = withoutTrailingNul(bytes);
    return isLatin1Target(target) ? QString::fromLatin1(text) : QString::fromUtf8(text);
}

QList<QUrl> fileURLsFromUriList(const QByteArray &bytes)
{
    return fileURLsFromLines(withoutTrailingNul(bytes).split('\n'));
}

QList<QUrl> fileURLsFromGnomeCopiedFiles(const QByteArray &bytes)
{
    QList<QByteArray> lines = withoutTrailingNul(bytes).split('\n');
    if (lines.isEmpty())
        return {};
    const QByteArray action = lines.takeFirst().trimmed();
    if (action != "copy" && action != "cut")
        return {};
    return fileURLsFromLines(lines);
}

QList<std::pair<QString, QByteArray>> plainTextRepresentations(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    // Latin-1 readers get the text where it fits and "?" where it does not.
    QByteArray latin1;
    latin1.reserve(text.size());
    for (const QChar c : text)
        latin1.append(c.unicode() <= 0xff ? char(c.unicode()) : '?');
    return {
        {QStringLiteral("UTF8_STRING"), utf8}, {QStringLiteral("text/plain;charset=utf-8"), utf8},
        {QStringLiteral("text/plain"), utf8},  {QStringLiteral("TEXT"), utf8},
        {QStringLiteral("STRING"), latin1},
    };
}

std::optional<QString> plainString(const PayloadItem &item)
{
    for (const QString &type : utf8TextTargets()) {
        if (const auto bytes = item.value(type)) {
            if (auto text = decodeText(type, *bytes))
                return text;
        }
    }
    if (const auto bytes = item.value(latin1TextTarget()))
        return decodeText(latin1TextTarget(), *bytes);
    return std::nullopt;
}

} // namespace tessaly::clipboard::SelectionTypes
