#include "platform/x11/PropertyTransfer.h"

#include <algorithm>
#include <cstring>

namespace tessaly::x11 {

PropertyTransfer::PropertyTransfer(xcb_atom_t incr, qint64 maxBytes)
    : m_incr(incr), m_maxBytes(std::max<qint64>(maxBytes, 0))
{}

uint32_t PropertyTransfer::longsToAsk() const
{
    const qint64 room = m_maxBytes - m_pieces.size();
    return uint32_t(std::clamp<qint64>(room / 4 + 1, 1, UINT32_MAX / 4));
}

PropertyTransfer::Next PropertyTransfer::tooLong()
{
    m_pieces = QByteArray();
    m_outcome = {std::nullopt, m_maxBytes};
    return Next::Finished;
}

PropertyTransfer::Next PropertyTransfer::begin(const std::optional<PropertyValue> &property)
{
    if (!property || property->type == XCB_ATOM_NONE)
        return Next::Finished;
    if (property->type == m_incr && m_incr != XCB_ATOM_NONE) {
        // The announced size is only a lower bound: it may reserve, never beyond the limit.
        quint32 announced = 0;
        if (property->format == 32 && property->value.size() >= qsizetype(sizeof announced))
            std::memcpy(&announced, property->value.data(), sizeof announced);
        if (announced > m_maxBytes)
            return tooLong();
        m_incremental = true;
        m_pieces.reserve(qsizetype(announced));
        return Next::AwaitPiece;
    }
    if (property->value.size() + qint64(property->bytesAfter) > m_maxBytes)
        return tooLong();
    m_outcome = {property->value.toByteArray(), -1, property->format};
    return Next::Finished;
}

PropertyTransfer::Next PropertyTransfer::piece(const std::optional<PropertyValue> &property)
{
    if (!m_incremental || !property) {
        m_pieces = QByteArray();
        m_outcome = {};
        return Next::Finished;
    }
    if (property->value.isEmpty() && property->bytesAfter == 0) {
        m_outcome = {std::move(m_pieces), -1, property->format}; // the empty piece ends it
        m_pieces = QByteArray();
        return Next::Finished;
    }
    if (m_pieces.size() + property->value.size() + qint64(property->bytesAfter) > m_maxBytes)
        return tooLong(); // abandoned: the owner gives up once its window goes
    m_pieces.append(property->value);
    return Next::AwaitPiece;
}

std::optional<QList<xcb_atom_t>> PropertyTransfer::atomsOfTargets(const ConversionOutcome &targets)
{
    if (!targets.bytes || targets.format != 32 || targets.bytes->size() % 4 != 0)
        return std::nullopt;
    QList<xcb_atom_t> atoms(targets.bytes->size() / 4);
    if (atoms.isEmpty())
        return atoms; // an empty list: nothing to copy (its bytes may have no storage at all)
    std::memcpy(atoms.data(), targets.bytes->constData(), size_t(targets.bytes->size()));
    return atoms;
}

} // namespace tessaly::x11
