#pragma once

#include <xcb/xproto.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace tessaly::x11 {

// What one conversion of a selection target gave: its bytes, or the knowledge that it has none
// or is longer than a length already asked for.
struct ConversionOutcome
{
    std::optional<QByteArray> bytes;
    qint64 longerThan = -1;
    uint8_t format = 8; // of the property that carried the bytes
};

// One property as GetProperty returned it.
struct PropertyValue
{
    xcb_atom_t type = XCB_ATOM_NONE;
    uint8_t format = 0;
    QByteArrayView value;
    quint32 bytesAfter = 0; // what the owner stored beyond the length asked for
};

// How the bytes of one conversion come together from what the owner stores: the whole value in
// the property the SelectionNotify names, or, when that property is of type INCR, in pieces, each
// stored once the previous one was deleted, ended by an empty piece. Nothing longer than
// `maxBytes` is ever kept or reserved, whatever the owner announces; the connection work (asking
// for each property, deleting it, waiting) is the caller's.
class PropertyTransfer
{
public:
    enum class Next
    {
        Finished,
        AwaitPiece
    };

    PropertyTransfer(xcb_atom_t incr, qint64 maxBytes);

    // The property named by the owner's SelectionNotify (nullopt: there was none to read).
    Next begin(const std::optional<PropertyValue> &property);
    // One piece of an incremental transfer (nullopt: it could not be read).
    Next piece(const std::optional<PropertyValue> &property);

    // The length to ask GetProperty for next, in 32-bit units, so that one more byte than the
    // limit allows shows up as "too long".
    uint32_t longsToAsk() const;
    const ConversionOutcome &outcome() const { return m_outcome; }

    // The atoms of a TARGETS answer; nullopt when it is not a list of atoms.
    static std::optional<QList<xcb_atom_t>> atomsOfTargets(const ConversionOutcome &targets);

private:
    Next tooLong();

    xcb_atom_t m_incr;
    qint64 m_maxBytes;
    bool m_incremental = false;
    QByteArray m_pieces;
    ConversionOutcome m_outcome;
};

} // namespace tessaly::x11
