// How a conversion's bytes come together from what an owner stores: the first property, then
// the INCR pieces, as an X server hands them to GetProperty (cut at the length asked for, the
// rest counted in bytes_after).
//
// Input: two bytes of limit (in units of 16 bytes), then records of one stored property each:
// a kind byte (0 no reply, 1 no property, 2 INCR, else data), a format byte, two bytes of
// length and that many bytes of value (an INCR record's value starts with the announced size).

#include "FuzzSupport.h"

#include "platform/x11/PropertyTransfer.h"

#include <algorithm>
#include <cstring>

using namespace tessaly;
using namespace tessaly::x11;

namespace {

constexpr xcb_atom_t incrAtom = 300;
constexpr xcb_atom_t dataAtom = 301;

struct Input
{
    const uint8_t *data;
    size_t size;
    size_t at = 0;

    bool atEnd() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    QByteArray bytes(size_t count)
    {
        count = std::min(count, size - std::min(at, size));
        QByteArray out(reinterpret_cast<const char *>(data + at), qsizetype(count));
        at += count;
        return out;
    }
};

struct Stored
{
    bool replied = true;
    xcb_atom_t type = XCB_ATOM_NONE;
    uint8_t format = 8;
    QByteArray value;
};

Stored nextStored(Input &input)
{
    Stored stored;
    const uint8_t kind = input.byte();
    stored.replied = kind != 0;
    stored.type = kind == 1 ? xcb_atom_t(XCB_ATOM_NONE) : kind == 2 ? incrAtom : dataAtom;
    stored.format = input.byte();
    const size_t length = size_t(input.byte()) << 8 | input.byte();
    stored.value = input.bytes(length);
    if (stored.type == XCB_ATOM_NONE)
        stored.value.clear(); // no property, no value
    return stored;
}

// What GetProperty gives for `stored` when asked for `longs` 32-bit units.
std::optional<PropertyValue> reply(const Stored &stored, uint32_t longs)
{
    if (!stored.replied)
        return std::nullopt;
    if (stored.type == XCB_ATOM_NONE)
        return PropertyValue{};
    const qint64 shown = std::min<qint64>(stored.value.size(), qint64(longs) * 4);
    return PropertyValue{stored.type, stored.format, QByteArrayView(stored.value).first(shown),
                         quint32(stored.value.size() - shown)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input{data, size};
    const qint64 maxBytes = qint64(input.byte() << 8 | input.byte()) * 16;
    PropertyTransfer transfer(incrAtom, maxBytes);

    const auto room = [&](qint64 kept) {
        // One byte more than the room left must always show as too long.
        TESSALY_FUZZ_CHECK(qint64(transfer.longsToAsk()) * 4 > maxBytes - kept);
    };
    room(0);
    const Stored first = nextStored(input);
    PropertyTransfer::Next next = transfer.begin(reply(first, transfer.longsToAsk()));
    const bool incremental = first.replied && first.type == incrAtom;
    quint32 announced = 0;
    if (incremental && first.format == 32 && first.value.size() >= 4)
        std::memcpy(&announced, first.value.constData(), sizeof announced);
    if (next == PropertyTransfer::Next::AwaitPiece)
        TESSALY_FUZZ_CHECK(incremental && announced <= maxBytes);

    // What the owner offered in all, and how the transfer ended.
    QByteArray offered = incremental ? QByteArray() : first.value;
    bool endedByEmptyPiece = false;
    bool lostPiece = false;
    int pieces = 0;
    while (next == PropertyTransfer::Next::AwaitPiece) {
        room(offered.size());
        const Stored piece = input.atEnd() ? Stored{} : nextStored(input);
        next = transfer.piece(reply(piece, transfer.longsToAsk()));
        if (!piece.replied)
            lostPiece = true;
        else if (piece.value.isEmpty())
            endedByEmptyPiece = true;
        else
            offered += piece.value;
        TESSALY_FUZZ_CHECK(++pieces <= int(size) + 1);
    }

    const ConversionOutcome &outcome = transfer.outcome();
    const bool nothingStored = !first.replied || first.type == XCB_ATOM_NONE || lostPiece;
    const bool tooLong = offered.size() > maxBytes || (incremental && announced > maxBytes);
    if (nothingStored) {
        TESSALY_FUZZ_CHECK(!outcome.bytes && outcome.longerThan == -1);
    } else if (tooLong) {
        TESSALY_FUZZ_CHECK(!outcome.bytes && outcome.longerThan == maxBytes);
    } else {
        TESSALY_FUZZ_CHECK(outcome.bytes && *outcome.bytes == offered);
        TESSALY_FUZZ_CHECK(outcome.longerThan == -1);
        TESSALY_FUZZ_CHECK(!incremental || endedByEmptyPiece);
    }

    // A TARGETS answer is a list of atoms only in format 32 and whole atoms.
    if (const auto atoms = PropertyTransfer::atomsOfTargets(outcome)) {
        TESSALY_FUZZ_CHECK(outcome.format == 32);
        TESSALY_FUZZ_CHECK(atoms->size() * 4 == outcome.bytes->size());
    }
    return 0;
}
