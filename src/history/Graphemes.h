#pragma once

#include <QString>

namespace tessaly {

// User-perceived characters (Unicode extended grapheme clusters, as ICU's character break
// iterator finds them): a family emoji joined with ZWJs, a regional-indicator flag, a letter
// with its combining accents and "\r\n" each count as one. Every place that counts or cuts the
// text of an entry by characters (the stored text's limit, a card's preview and its character
// count) goes through here, so they all agree. Safe to call from any thread.
namespace Graphemes {

// The number of user-perceived characters of `text`.
qsizetype count(const QString &text);

// At most the first `count` user-perceived characters of `text`; the whole text when it has no
// more than that, empty when `count` is not positive. A cut never splits a character.
QString prefix(const QString &text, qsizetype count);

} // namespace Graphemes
} // namespace tessaly
