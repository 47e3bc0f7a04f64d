#pragma once

#include "history/ClipRecords.h"

#include <QString>

#include <optional>

namespace tessaly {

// The texts a clip card takes from the desktop's formatting services.
class CardFormatting
{
public:
    virtual ~CardFormatting() = default;

    // `date` relative to `reference` in short Brazilian Portuguese ("há 5 min").
    virtual QString relativeText(Instant date, Instant reference) const = 0;
    // The per-kind detail of the meta row ("1.234 caracteres", "1920 × 1080", "3 itens").
    virtual std::optional<QString> detail(const ClipItem &item) const = 0;
};

} // namespace tessaly
