#pragma once

#include "history/ClipRecords.h"

#include <QByteArray>

#include <optional>

namespace tessaly {

// The keyed form of a clipboard snapshot as a property list: a root dictionary with the single
// key "items", an array of dictionaries mapping type identifiers to data.
namespace PayloadCoding {

// Binary property list (bplist00); absent when the list cannot be produced.
std::optional<QByteArray> encode(const ClipPayload &payload);
// Any property-list format libplist reads (binary or XML). Absent when the bytes are not a
// property list of that shape. Safe on arbitrary input.
std::optional<ClipPayload> decode(const QByteArray &bytes);

} // namespace PayloadCoding
} // namespace tessaly
