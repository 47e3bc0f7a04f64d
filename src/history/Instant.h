#pragma once

#include <QDateTime>

#include <chrono>
#include <compare>
#include <limits>

namespace tessaly {

// A point in time as seconds (with fraction) since 2001-01-01T00:00:00Z, the form the history
// index stores. Kept as the stored double so that a value read from the index and written back
// is the same number to the last bit.
class Instant
{
public:
    // Seconds between the Unix epoch and 2001-01-01T00:00:00Z.
    static constexpr double unixOffset = 978307200.0;

    constexpr Instant() = default;
    constexpr explicit Instant(double secondsSinceReference) : m_seconds(secondsSinceReference) {}

    static Instant now()
    {
        using namespace std::chrono;
        const auto micros =
            duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
        return Instant(double(micros) / 1e6 - unixOffset);
    }

    static Instant fromDateTime(const QDateTime &dateTime)
    {
        return Instant(double(dateTime.toMSecsSinceEpoch()) / 1000.0 - unixOffset);
    }

    constexpr double secondsSinceReference() const { return m_seconds; }
    double secondsSinceUnixEpoch() const { return m_seconds + unixOffset; }

    // An instant beyond what 64-bit milliseconds hold (the index may carry any number) comes
    // out as the earliest or latest QDateTime; one that is not a number, as the Unix epoch.
    QDateTime toDateTime() const
    {
        constexpr double limit = 9223372036854775808.0; // 2^63
        const double milliseconds = (m_seconds + unixOffset) * 1000.0;
        qint64 whole = 0;
        if (milliseconds >= limit)
            whole = std::numeric_limits<qint64>::max();
        else if (milliseconds < -limit)
            whole = std::numeric_limits<qint64>::min();
        else if (milliseconds == milliseconds)
            whole = qint64(milliseconds);
        return QDateTime::fromMSecsSinceEpoch(whole, Qt::UTC);
    }

    // Seconds from `other` to this instant (positive when this one is later).
    constexpr double secondsSince(Instant other) const { return m_seconds - other.m_seconds; }
    constexpr Instant addingSeconds(double seconds) const { return Instant(m_seconds + seconds); }

    constexpr auto operator<=>(const Instant &) const = default;

private:
    double m_seconds = 0.0;
};

} // namespace tessaly
