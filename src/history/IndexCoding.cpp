#include "history/IndexCoding.h"

#include <simdjson.h>

#include <charconv>
#include <cmath>

namespace tessaly::IndexCoding {

namespace {

// A small JSON writer: the index needs its keys in field order, which QJsonObject (sorted keys)
// cannot give.
class JsonWriter
{
public:
    explicit JsonWriter(QByteArray &out) : m_out(out) {}

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

    // Shortest text that reads back as the same double. The shortest form of a whole number
    // beyond 64 bits can be a plain run of digits, which a JSON reader takes for an integer too
    // large to hold: numbers that large are always written with an exponent.
    void number(double value)
    {
        if (!std::isfinite(value))
            value = 0.0;
        char buffer[32];
        char *const end = buffer + sizeof buffer;
        const auto result = std::fabs(value) >= 9223372036854775808.0
                                ? std::to_chars(buffer, end, value, std::chars_format::scientific)
                                : std::to_chars(buffer, end, value);
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

// Field readers over a parsed object: each answers false when the key is missing (for required
// fields) or its value has the wrong type. A JSON null reads as absent for optional fields.
using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

std::optional<element> field(const object &record, std::string_view key)
{
    element value;
    if (record.at_key(key).get(value) != simdjson::SUCCESS)
        return std::nullopt;
    return value;
}

bool isAbsent(const std::optional<element> &value)
{
    return !value || value->is_null();
}

QString toQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

bool readString(const object &record, std::string_view key, QString &out)
{
    const auto value = field(record, key);
    std::string_view text;
    if (!value || value->get_string().get(text) != simdjson::SUCCESS)
        return false;
    out = toQString(text);
    return true;
}

// An optional string field, decoded by `decode` from its UTF-8.
template <typename T, typename Decode>
bool readOptional(const object &record, std::string_view key, std::optional<T> &out, Decode decode)
{
    const auto value = field(record, key);
    if (isAbsent(value)) {
        out.reset();
        return true;
    }
    std::string_view text;
    if (value->get_string().get(text) != simdjson::SUCCESS)
        return false;
    out = decode(text);
    return true;
}

bool readOptionalString(const object &record, std::string_view key, std::optional<QString> &out)
{
    return readOptional(record, key, out, toQString);
}

bool readOptionalText(const object &record, std::string_view key, std::optional<ClipText> &out)
{
    return readOptional(record, key, out, &ClipText::fromUtf8);
}

// A whole number that fits 64 bits; written as an integer, or as a number with a zero fraction.
bool readInteger(const element &value, qint64 &out)
{
    switch (value.type()) {
    case element_type::INT64:
        out = value.get_int64().value_unsafe();
        return true;
    case element_type::DOUBLE: {
        const double number = value.get_double().value_unsafe();
        if (std::trunc(number) != number || number < -9223372036854775808.0 ||
            number >= 9223372036854775808.0)
            return false;
        out = qint64(number);
        return true;
    }
    default: // UINT64 is beyond the signed range; everything else is not a number
        return false;
    }
}

bool readInteger(const object &record, std::string_view key, qint64 &out)
{
    const auto value = field(record, key);
    return value && readInteger(*value, out);
}

bool readOptionalInteger(const object &record, std::string_view key, std::optional<qint64> &out)
{
    const auto value = field(record, key);
    if (isAbsent(value)) {
        out.reset();
        return true;
    }
    qint64 number = 0;
    if (!readInteger(*value, number))
        return false;
    out = number;
    return true;
}

bool readInstant(const object &record, std::string_view key, Instant &out)
{
    const auto value = field(record, key);
    double seconds = 0;
    if (!value || !value->is_number() || value->get_double().get(seconds) != simdjson::SUCCESS)
        return false;
    out = Instant(seconds);
    return true;
}

bool readBool(const object &record, std::string_view key, bool &out)
{
    const auto value = field(record, key);
    return value && value->get_bool().get(out) == simdjson::SUCCESS;
}

bool readOptionalStringList(const object &record, std::string_view key,
                            std::optional<QStringList> &out)
{
    const auto value = field(record, key);
    if (isAbsent(value)) {
        out.reset();
        return true;
    }
    simdjson::dom::array array;
    if (value->get_array().get(array) != simdjson::SUCCESS)
        return false;
    QStringList list;
    list.reserve(qsizetype(array.size()));
    for (const element entry : array) {
        std::string_view text;
        if (entry.get_string().get(text) != simdjson::SUCCESS)
            return false;
        list.append(toQString(text));
    }
    out = std::move(list);
    return true;
}

std::optional<ClipItem> decodeRecord(const object &record)
{
    ClipItem item;

    QString idText;
    if (!readString(record, "id", idText))
        return std::nullopt;
    const auto id = uuidFromText(idText);
    if (!id)
        return std::nullopt;
    item.id = *id;

    QString kindText;
    if (!readString(record, "kind", kindText))
        return std::nullopt;
    const auto kind = clipKindFromName(kindText);
    if (!kind)
        return std::nullopt;
    item.kind = *kind;

    const bool ok = readInstant(record, "createdAt", item.createdAt) &&
                    readInstant(record, "lastUsedAt", item.lastUsedAt) &&
                    readBool(record, "pinned", item.pinned) &&
                    readOptionalText(record, "text", item.text) &&
                    readOptionalStringList(record, "filePaths", item.filePaths) &&
                    readOptionalInteger(record, "imageWidth", item.imageWidth) &&
                    readOptionalInteger(record, "imageHeight", item.imageHeight) &&
                    readBool(record, "hasRichText", item.hasRichText) &&
                    readOptionalString(record, "sourceBundleID", item.sourceBundleID) &&
                    readOptionalString(record, "sourceAppName", item.sourceAppName) &&
                    readString(record, "contentHash", item.contentHash) &&
                    readInteger(record, "byteSize", item.byteSize);
    if (!ok)
        return std::nullopt;
    return item;
}

// Parses with a parser sized for the document; simdjson also rejects bytes that are not UTF-8.
// No bytes are not a document (and the view of a null QByteArray has no data pointer to copy).
simdjson::error_code parse(simdjson::dom::parser &parser, QByteArrayView bytes, element &root)
{
    if (bytes.isEmpty())
        return simdjson::EMPTY;
    return parser.parse(bytes.data(), size_t(bytes.size())).get(root);
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

std::optional<ClipItem> decodeItem(QByteArrayView json)
{
    simdjson::dom::parser parser;
    element root;
    object record;
    if (parse(parser, json, root) != simdjson::SUCCESS || root.get_object().get(record))
        return std::nullopt;
    return decodeRecord(record);
}

std::optional<QList<ClipItem>> decodeIndex(QByteArrayView bytes)
{
    simdjson::dom::parser parser;
    element root;
    simdjson::dom::array array;
    if (parse(parser, bytes, root) != simdjson::SUCCESS || root.get_array().get(array))
        return std::nullopt;

    QList<ClipItem> items;
    items.reserve(qsizetype(array.size()));
    for (const element entry : array) {
        object record;
        if (entry.get_object().get(record) != simdjson::SUCCESS)
            return std::nullopt;
        auto item = decodeRecord(record);
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

} // namespace tessaly::IndexCoding
