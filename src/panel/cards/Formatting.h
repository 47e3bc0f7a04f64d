#pragma once

#include "history/ClipRecords.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace tessaly::Formatting {

// The locale of every formatted text: Brazilian Portuguese ("pt_BR").
QString localeName();

// How long before (or after) `reference` the `date` lies, in the short relative style of the
// locale, with the largest calendar unit that is not zero: "há 5 min.", "há 2 h", "há 3 dias",
// "há 1 sem.", "em 5 min.". Measured in whole units (a minute and a half is "há 1 min.").
QString relativeText(const QDateTime &date, const QDateTime &reference);

// The number with the locale's digit grouping: 1234 → "1.234".
QString groupedNumber(qint64 number);

// The per-kind detail of a card's meta row: "1.234 caracteres" for a text of more than 140
// characters, "1920 × 1080" for an image of known size, "3 itens" for several files; absent
// otherwise.
std::optional<QString> detail(const ClipItem &item);

} // namespace tessaly::Formatting
