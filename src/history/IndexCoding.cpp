#include "history/IndexCoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringDecoder>

#include <charconv>
#include <cmath>

namespace tessaly::IndexCoding {

namespace {

// A small JSON writer: the index needs its keys in field order, which QJsonObject (sorted keys)
// cannot give.
class JsonWriter
{
public:
    explicit JsonWriter(QByteArray &out)
        : m_out(out)
    {
    }

    void beginObject()
    {
        m_out.append('{');
        m_first = true;
    }
    void endObject() { m_out.append('}'); }

    void key(const char *name)
    {
        if (!m_first)
            m_out.append(',');
        m_first = false;
        m_out.append('"').append(name).append("\":");
    }

    void string(const QString &value) { appendEscaped(value.toUtf8()); }
    void boolean(bool value) { m_out.append(value ? "true" : "false"); }

    void integer(qint64 value)
    {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_out.append(buffer, result.ptr - buffer);
    }

    // Shortest text that reads back as the same double.
    void number(double value)
    {
        if (!std::isfinite(value))
            value = 0.0;
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_out.append(buffer, result.ptr - buffer);
    }

    void stringArray(const QStringList &values)
    {
        m_out.append('[');
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                m_out.append(',');
            string(values[i]);
        }
        m_out.append(']');
    }

private:
    void appendEscaped(const QByteArray &utf8)
    {
        static constexpr char hex[] = "0123456789abcdef";
        m_out.append('"');
        const char *begin = utf8.constData();
        const char *end = begin + utf8.size();
        const char *run = begin;
        for (const char *p = begin; p != end; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            if (c >= 0x20 && c != '"' && c != '\\')
                continue;
            m_out.append(run, p - run);
            run = p + 1;
            switch (c) {
            case '"':
                m_out.append("\\\"");
                break;
            case '\\':
                m_out.append("\\\\");
                break;
            case '\n':
                m_out.append("\\n");
                break;
            case '\r':
                m_out.append("\\r");
                break;
            case '\t':
                m_out.append("\\t");
                break;
            case '\b':
                m_out.append("\\b");
                break;
            case '\f':
                m_out.append("\\f");
                break;
            default: {
                const char escape[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
                m_out.append(escape, sizeof escape);
            }
            }
        }
        m_out.append(run, end - run);
        m_out.append('"');
    }

    QByteArray &m_out;
    bool m_first = true;
};

void writeItem(JsonWriter &w, const ClipItem &item)
{
    w.beginObject();
    w.key("id");
    w.string(uuidText(item.id));
    w.key("kind");
    w.string(clipKindName(item.kind));
    w.key("createdAt");
    w.number(item.createdAt.secondsSinceReference());
    w.key("lastUsedAt");
    w.number(item.lastUsedAt.secondsSinceReference());
    w.key("pinned");
    w.boolean(item.pinned);
    if (item.text) {
        w.key("text");
        w.string(*item.text);
    }
    if (item.filePaths) {
        w.key("filePaths");
        w.stringArray(*item.filePaths);
    }
    if (item.imageWidth) {
        w.key("imageWidth");
        w.integer(*item.imageWidth);
    }
    if (item.imageHeight) {
        w.key("imageHeight");
        w.integer(*item.imageHeight);
    }
    w.key("hasRichText");
    w.boolean(item.hasRichText);
    if (item.sourceBundleID) {
        w.key("sourceBundleID");
        w.string(*item.sourceBundleID);
    }
    if (item.sourceAppName) {
        w.key("sourceAppName");
        w.string(*item.sourceAppName);
    }
    w.key("contentHash");
    w.string(item.contentHash);
    w.key("byteSize");
    w.integer(item.byteSize);
    w.endObject();
}

qsizetype estimatedSize(const ClipItem &item)
{
    qsizetype size = 320;
    if (item.text)
        size += item.text->size() + item.text->size() / 8;
    if (item.filePaths) {
        for (const QString &path : *item.filePaths)
            size += path.size() + 4;
    }
    return size;
}

// Field readers: each answers false when the value is present but of the wrong type.
bool readString(const QJsonValue &value, QString &out)
{
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}

bool readOptionalString(const QJsonValue &value, std::optional<QString> &out)
{
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}

bool readInteger(const QJsonValue &value, qint64 &out)
{
    if (!value.isDouble())
        return false;
    // toInteger() answers the default for a value that is not a whole number within range.
    const qint64 a = value.toInteger(0);
    const qint64 b = value.toInteger(1);
    if (a != b)
        return false;
    out = a;
    return true;
}

bool readOptionalInteger(const QJsonValue &value, std::optional<qint64> &out)
{
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    qint64 number = 0;
    if (!readInteger(value, number))
        return false;
    out = number;
    return true;
}

bool readInstant(const QJsonValue &value, Instant &out)
{
    if (!value.isDouble())
        return false;
    out = Instant(value.toDouble());
    return true;
}

bool readBool(const QJsonValue &value, bool &out)
{
    if (!value.isBool())
        return false;
    out = value.toBool();
    return true;
}

bool readOptionalStringList(const QJsonValue &value, std::optional<QStringList> &out)
{
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    QStringList list;
    list.reserve(array.size());
    for (const QJsonValue element : array) {
        if (!element.isString())
            return false;
        list.append(element.toString());
    }
    out = std::move(list);
    return true;
}

} // namespace

QByteArray encodeItem(const ClipItem &item)
{
    QByteArray out;
    out.reserve(estimatedSize(item));
    JsonWriter writer(out);
    writeItem(writer, item);
    return out;
}

QByteArray encodeIndex(const QList<ClipItem> &items)
{
    qsizetype capacity = 2;
    for (const ClipItem &item : items)
        capacity += estimatedSize(item);
    QByteArray out;
    out.reserve(capacity);
    out.append('[');
    JsonWriter writer(out);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out.append(',');
        writeItem(writer, items[i]);
    }
    out.append(']');
    return out;
}

std::optional<ClipItem> decodeItem(const QJsonObject &object)
{
    ClipItem item;

    QString idText;
    if (!readString(object.value(QLatin1String("id")), idText))
        return std::nullopt;
    const auto id = uuidFromText(idText);
    if (!id)
        return std::nullopt;
    item.id = *id;

    QString kindText;
    if (!readString(object.value(QLatin1String("kind")), kindText))
        return std::nullopt;
    const auto kind = clipKindFromName(kindText);
    if (!kind)
        return std::nullopt;
    item.kind = *kind;

    const bool ok =
        readInstant(object.value(QLatin1String("createdAt")), item.createdAt) &&
        readInstant(object.value(QLatin1String("lastUsedAt")), item.lastUsedAt) &&
        readBool(object.value(QLatin1String("pinned")), item.pinned) &&
        readOptionalString(object.value(QLatin1String("text")), item.text) &&
        readOptionalStringList(object.value(QLatin1String("filePaths")), item.filePaths) &&
        readOptionalInteger(object.value(QLatin1String("imageWidth")), item.imageWidth) &&
        readOptionalInteger(object.value(QLatin1String("imageHeight")), item.imageHeight) &&
        readBool(object.value(QLatin1String("hasRichText")), item.hasRichText) &&
        readOptionalString(object.value(QLatin1String("sourceBundleID")), item.sourceBundleID) &&
        readOptionalString(object.value(QLatin1String("sourceAppName")), item.sourceAppName) &&
        readString(object.value(QLatin1String("contentHash")), item.contentHash) &&
        readInteger(object.value(QLatin1String("byteSize")), item.byteSize);
    if (!ok)
        return std::nullopt;
    return item;
}

std::optional<QList<ClipItem>> decodeIndex(const QByteArray &bytes)
{
    // The JSON parser would quietly replace invalid UTF-8; an index that is not UTF-8 is corrupt.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(bytes).operator QString();
    if (utf8.hasError())
        return std::nullopt;

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;

    const QJsonArray array = document.array();
    QList<ClipItem> items;
    items.reserve(array.size());
    for (const QJsonValue element : array) {
        if (!element.isObject())
            return std::nullopt;
        auto item = decodeItem(element.toObject());
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

} // namespace tessaly::IndexCoding
