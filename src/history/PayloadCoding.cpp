#include "history/PayloadCoding.h"

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>

namespace tessaly::PayloadCoding {

namespace {

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

const char itemsKey[] = "items";

quint64 bigEndian(const uchar *bytes, unsigned count)
{
    quint64 value = 0;
    for (unsigned i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// Whether no UTF-16 string of a binary property list holds a NUL character. libplist (2.2)
// aborts on an assertion when it hands out a dictionary key that was such a string (its UTF-8
// form is then shorter than its recorded length); encode() never writes one. Walks the offset
// table and checks each UTF-16 string. Writers lay the objects out one after the other in table
// order: a table that does not, or a string that runs into the next object, fails too (so that
// the walk reads each byte once at most).
bool utf16StringsAreFreeOfNul(const QByteArray &bytes)
{
    constexpr quint64 headerSize = 8;
    constexpr quint64 trailerSize = 32;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const quint64 size = quint64(bytes.size());
    if (size < headerSize + trailerSize)
        return false;
    const uchar *trailer = data + size - trailerSize;
    const unsigned offsetSize = trailer[6];
    const quint64 count = bigEndian(trailer + 8, 8);
    const quint64 tableStart = bigEndian(trailer + 24, 8);
    const quint64 tableEnd = size - trailerSize;
    if (offsetSize == 0 || offsetSize > 8 || tableStart < headerSize || tableStart > tableEnd ||
        count > (tableEnd - tableStart) / offsetSize)
        return false;
    const auto offset = [&](quint64 index) {
        return bigEndian(data + tableStart + index * offsetSize, offsetSize);
    };

    for (quint64 i = 0; i < count; ++i) {
        quint64 at = offset(i);
        const quint64 next = i + 1 < count ? offset(i + 1) : tableStart;
        if (at < headerSize || at >= next || next > tableStart)
            return false;
        const uchar marker = data[at++];
        if ((marker & 0xF0) != 0x60) // UTF-16 big-endian
            continue;
        quint64 length = marker & 0x0F;
        if (length == 0x0F) { // the length follows as an integer object
            if (at >= next || (data[at] & 0xF0) != 0x10 || (data[at] & 0x0F) > 3)
                return false;
            const unsigned width = 1u << (data[at] & 0x0F);
            if (width > next - at - 1)
                return false;
            length = bigEndian(data + at + 1, width);
            at += 1 + width;
        }
        if (length > (next - at) / 2)
            return false;
        for (quint64 j = 0; j < length; ++j) {
            if (data[at + 2 * j] == 0 && data[at + 2 * j + 1] == 0)
                return false;
        }
    }
    return true;
}

} // namespace

std::optional<QByteArray> encode(const ClipPayload &payload)
{
    PlistPtr root(plist_new_dict());
    plist_t array = plist_new_array();
    for (const PayloadItem &item : payload.items) {
        plist_t dict = plist_new_dict();
        for (const auto &[type, data] : item.representations()) {
            plist_dict_set_item(dict, type.toUtf8().constData(),
                                plist_new_data(data.constData(), uint64_t(data.size())));
        }
        plist_array_append_item(array, dict);
    }
    plist_dict_set_item(root.get(), itemsKey, array);

    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    if (!bytes || length == 0) {
        std::free(bytes);
        return std::nullopt;
    }
    QByteArray result(bytes, qsizetype(length));
    plist_to_bin_free(bytes);
    return result;
}

std::optional<ClipPayload> decode(const QByteArray &bytes)
{
    if (bytes.isEmpty() || quint64(bytes.size()) > std::numeric_limits<uint32_t>::max())
        return std::nullopt;

    if (plist_is_binary(bytes.constData(), uint32_t(bytes.size())) &&
        !utf16StringsAreFreeOfNul(bytes))
        return std::nullopt;

    plist_t parsed = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &parsed);
    PlistPtr root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return std::nullopt;

    plist_t array = plist_dict_get_item(root.get(), itemsKey);
    if (!array || plist_get_node_type(array) != PLIST_ARRAY)
        return std::nullopt;

    ClipPayload payload;
    const uint32_t count = plist_array_get_size(array);
    payload.items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        plist_t dict = plist_array_get_item(array, i);
        if (!dict || plist_get_node_type(dict) != PLIST_DICT)
            return std::nullopt;

        PayloadItem item;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(dict, &iter);
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(dict, iter, &key, &value);
            if (!key || !value) {
                std::free(key);
                break;
            }
            const QString type = QString::fromUtf8(key);
            std::free(key);
            if (plist_get_node_type(value) != PLIST_DATA) {
                std::free(iter);
                return std::nullopt;
            }
            uint64_t length = 0;
            const char *data = plist_get_data_ptr(value, &length);
            item.insert(type, QByteArray(data, qsizetype(length)));
        }
        std::free(iter);
        payload.items.append(std::move(item));
    }
    return payload;
}

} // namespace tessaly::PayloadCoding
