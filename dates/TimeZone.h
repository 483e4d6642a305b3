#pragma once
// A time zone as a value: the offsets from UTC of one zone of the tz database
// over time, read once when the zone is made. The program makes the user's
// zone at start-up and hands it to the clock and the stores; nothing in this
// library reads TZ or the process's zone, so two zones can live side by side.

#include "dates/DateValue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brisk {

class TimeZone {
public:
    // Coordinated Universal Time.
    static TimeZone utc();
    // A zone of the tz database ("Europe/Berlin", "UTC"); nullopt for a name
    // the database does not know.
    static std::optional<TimeZone> named(std::string_view id);

    const std::string& id() const;
    // Seconds east of UTC in force at the instant.
    std::int32_t offsetAt(std::int64_t unixSeconds) const;
    // The local date value of an instant (seconds since 1970-01-01 UTC).
    DateValue localTime(std::int64_t unixSeconds) const;

    struct Rules;

private:
    explicit TimeZone(std::shared_ptr<const Rules> rules) : m_rules(std::move(rules)) {}
    // Shared and never changed after construction: a copy is cheap, and
    // threads that read ahead of the walk may use one zone at once.
    std::shared_ptr<const Rules> m_rules;
};

// Seconds since 1970-01-01 UTC to a local date value in the given zone.
inline DateValue fromUnixTime(std::int64_t unixSeconds, const TimeZone& zone)
{
    return zone.localTime(unixSeconds);
}

} // namespace brisk
