#include "platform/xdg/DesktopEntryFile.h"

#include <QFile>
#include <QFileInfo>

namespace tessaly::DesktopEntryFile {

std::optional<QList<KeyValue>> mainGroup(const QString &filePath)
{
    // Only regular files of a sensible size: a FIFO would block the reader, and an entry is a
    // few kilobytes.
    constexpr qint64 maxEntryBytes = 1 << 20;
    const QFileInfo info(filePath);
    if (!info.isFile() || info.size() > maxEntryBytes)
        return std::nullopt;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;

    QList<KeyValue> pairs;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        pairs.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return pairs;
}

QString unescaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            out.append(u' ');
            break;
        case 'n':
            out.append(u'\n');
            break;
        case 't':
            out.append(u'\t');
            break;
        case 'r':
            out.append(u'\r');
            break;
        default:
            out.append(next);
        }
    }
    return out;
}

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out.append(QStringLiteral("\\\\"));
            break;
        case '\n':
            out.append(QStringLiteral("\\n"));
            break;
        case '\t':
            out.append(QStringLiteral("\\t"));
            break;
        case '\r':
            out.append(QStringLiteral("\\r"));
            break;
        default:
            out.append(c);
        }
    }
    return out;
}

} // namespace tessaly::DesktopEntryFile
