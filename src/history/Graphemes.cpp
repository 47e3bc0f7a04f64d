#include "history/Graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace tessaly::Graphemes {

namespace {

// One character break iterator per thread: creating one loads ICU's rules, which is far slower
// than reusing it, and an iterator holds the text it walks, so threads cannot share one.
icu::BreakIterator *characterIterator()
{
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            created.reset();
        return created;
    }();
    return iterator.get();
}

// Calls `visit` with the end offset (in UTF-16 code units) of each character of `text`, in
// order, until it answers false.
template <typename Visit> void forEachCharacterEnd(const QString &text, Visit visit)
{
    icu::BreakIterator *iterator = characterIterator();
    if (!iterator) {
        // Without ICU's rules, code points are the closest unit we have.
        for (qsizetype i = 0; i < text.size();) {
            i += (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
            if (!visit(i))
                return;
        }
        return;
    }
    // Read-only alias: the text is not copied.
    const icu::UnicodeString unicode(false, reinterpret_cast<const char16_t *>(text.utf16()),
                                     int32_t(text.size()));
    iterator->setText(unicode);
    for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; end = iterator->next()) {
        if (!visit(qsizetype(end)))
            break;
    }
    // The iterator must not keep pointing into `text`.
    static const icu::UnicodeString nothing;
    iterator->setText(nothing);
}

} // namespace

qsizetype count(const QString &text)
{
    qsizetype characters = 0;
    forEachCharacterEnd(text, [&](qsizetype) {
        ++characters;
        return true;
    });
    return characters;
}

QString prefix(const QString &text, qsizetype count)
{
    if (count <= 0)
        return {};
    // A character is at least one code unit: a text this short cannot be too long.
    if (text.size() <= count)
        return text;
    qsizetype seen = 0;
    qsizetype cut = text.size();
    forEachCharacterEnd(text, [&](qsizetype end) {
        if (++seen == count) {
            cut = end;
            return false;
        }
        return true;
    });
    return text.left(cut);
}

} // namespace tessaly::Graphemes
