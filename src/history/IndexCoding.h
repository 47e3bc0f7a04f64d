#pragma once

#include "history/ClipRecords.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace tessaly {

// The JSON form of history entries: one object per entry, keys in field order, optional fields
// omitted when absent, instants as seconds since 2001-01-01T00:00:00Z.
namespace IndexCoding {

// One entry as a compact JSON object.
QByteArray encodeItem(const ClipItem &item);
// The whole index: a compact JSON array of entries, in list order.
QByteArray encodeIndex(const QList<ClipItem> &items);

// One entry from the text of a JSON object; absent when a required key is missing, a value has
// the wrong type, the id is not a UUID or the kind names no case. Unknown keys are ignored; null
// reads as absent.
std::optional<ClipItem> decodeItem(QByteArrayView json);
// A whole index. Any record that fails makes the whole index fail, as do bytes that are not
// UTF-8 or not a JSON array. Safe on arbitrary input.
std::optional<QList<ClipItem>> decodeIndex(QByteArrayView bytes);

} // namespace IndexCoding
} // namespace tessaly
