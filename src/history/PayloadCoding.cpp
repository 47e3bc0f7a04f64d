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
