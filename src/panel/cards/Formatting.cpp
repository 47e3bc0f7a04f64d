#include "panel/cards/Formatting.h"

#include "history/Graphemes.h"

#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/reldatefmt.h>

#include <memory>

namespace tessaly::Formatting {

namespace {

// Texts of at most this many user-perceived characters have no detail.
constexpr qsizetype detailThreshold = 140;

const icu::Locale &locale()
{
    static const icu::Locale value("pt_BR");
    return value;
}

// Created once; formatting through a const formatter is safe from any thread.
const icu::RelativeDateTimeFormatter *relativeFormatter()
{
    static const std::unique_ptr<icu::RelativeDateTimeFormatter> formatter = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto created = std::make_unique<icu::RelativeDateTimeFormatter>(
            locale(), nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE, status);
        return U_FAILURE(status) ? nullptr : std::move(created);
    }();
    return formatter.get();
}

const icu::number::LocalizedNumberFormatter &numberFormatter()
{
    static const icu::number::LocalizedNumberFormatter formatter =
        icu::number::NumberFormatter::withLocale(locale());
    return formatter;
}

QString fromUnicode(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

struct RelativeAmount
{
    qint64 value = 0;
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
};

// The calendar distance from `from` to `to` (from ≤ to) in its largest non-zero unit among
// years, months, weeks, days, hours, minutes and seconds, counted in whole units.
RelativeAmount calendarDistance(const QDateTime &from, const QDateTime &to)
{
    qint64 years = to.date().year() - from.date().year();
    if (years > 0 && from.addYears(int(years)) > to)
        --years;
    if (years > 0)
        return {years, UDAT_REL_UNIT_YEAR};

    qint64 months =
        (to.date().year() - from.date().year()) * 12 + to.date().month() - from.date().month();
    if (months > 0 && from.addMonths(int(months)) > to)
        --months;
    if (months > 0)
        return {months, UDAT_REL_UNIT_MONTH};

    qint64 days = from.date().daysTo(to.date());
    if (days > 0 && from.addDays(days) > to)
        --days;
    if (days >= 7)
        return {days / 7, UDAT_REL_UNIT_WEEK};
    if (days > 0)
        return {days, UDAT_REL_UNIT_DAY};

    const qint64 seconds = from.secsTo(to);
    if (seconds >= 3600)
        return {seconds / 3600, UDAT_REL_UNIT_HOUR};
    if (seconds >= 60)
        return {seconds / 60, UDAT_REL_UNIT_MINUTE};
    return {seconds, UDAT_REL_UNIT_SECOND};
}

} // namespace

QString localeName()
{
    return QStringLiteral("pt_BR");
}

QString relativeText(const QDateTime &date, const QDateTime &reference)
{
    const QDateTime localDate = date.toLocalTime();
    const QDateTime localReference = reference.toLocalTime();
    const bool past = localDate <= localReference;
    const RelativeAmount amount = past ? calendarDistance(localDate, localReference)
                                       : calendarDistance(localReference, localDate);

    const icu::RelativeDateTimeFormatter *formatter = relativeFormatter();
    if (!formatter)
        return {};
    icu::UnicodeString text;
    UErrorCode status = U_ZERO_ERROR;
    formatter->formatNumeric(double(past ? -amount.value : amount.value), amount.unit, text,
                             status);
    return U_FAILURE(status) ? QString() : fromUnicode(text);
}

QString groupedNumber(qint64 number)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = numberFormatter().formatInt(number, status).toString(status);
    return U_FAILURE(status) ? QString::number(number) : fromUnicode(text);
}

std::optional<QString> detail(const ClipItem &item)
{
    switch (item.kind) {
    case ClipKind::Text: {
        // A text of at most 140 UTF-16 units cannot hold more than 140 characters: no need to
        // walk its grapheme clusters.
        if (!item.text || item.text->size() <= detailThreshold)
            return std::nullopt;
        const qsizetype count = Graphemes::count(item.text->toString());
        if (count <= detailThreshold)
            return std::nullopt;
        return groupedNumber(count) + QStringLiteral(" caracteres");
    }
    case ClipKind::Link:
    case ClipKind::Color:
        return std::nullopt;
    case ClipKind::Image:
        if (!item.imageWidth || !item.imageHeight)
            return std::nullopt;
        return QString::number(*item.imageWidth) + QStringLiteral(" \u00D7 ") +
               QString::number(*item.imageHeight);
    case ClipKind::File:
        if (!item.filePaths || item.filePaths->size() < 2)
            return std::nullopt;
        return QString::number(item.filePaths->size()) + QStringLiteral(" itens");
    }
    return std::nullopt;
}

} // namespace tessaly::Formatting
