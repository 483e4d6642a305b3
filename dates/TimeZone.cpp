#include "dates/TimeZone.h"

#include <unicode/basictz.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <vector>

namespace brisk {

// The offsets of a zone as a table of transitions, from ICU's copy of the tz
// database: a lookup is one binary search over a few hundred entries, as
// cheap as the C library's localtime_r, with no lock and no global state.
// Instants outside the table ask ICU itself (rare: before 1900 or after
// 2200), whose const lookups are safe from several threads.
struct TimeZone::Rules {
    std::string id;
    std::unique_ptr<icu::TimeZone> zone;
    std::int32_t offsetBefore = 0;         // before the first transition
    std::vector<std::int64_t> starts;      // transition instants, ascending
    std::vector<std::int32_t> offsets;     // the offset from each one on
    std::int64_t tableFrom = 0, tableTo = 0;

    std::int32_t icuOffset(std::int64_t unixSeconds) const
    {
        std::int32_t raw = 0, dst = 0;
        UErrorCode status = U_ZERO_ERROR;
        zone->getOffset(static_cast<UDate>(unixSeconds) * 1000.0, false, raw, dst, status);
        return U_SUCCESS(status) ? (raw + dst) / 1000 : 0;
    }
};

namespace {

// 1900-01-01 and 2200-01-01 UTC.
constexpr std::int64_t kTableFrom = -2208988800LL;
constexpr std::int64_t kTableTo = 7258118400LL;

void fillTransitions(TimeZone::Rules& rules)
{
    rules.tableFrom = kTableFrom;
    rules.tableTo = kTableTo;
    rules.offsetBefore = rules.icuOffset(kTableFrom);
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(rules.zone.get());
    if (!basic)
        return;
    icu::TimeZoneTransition transition;
    UDate at = static_cast<UDate>(kTableFrom) * 1000.0;
    while (basic->getNextTransition(at, false, transition) && transition.getTime() < kTableTo * 1000.0) {
        at = transition.getTime();
        const icu::TimeZoneRule* to = transition.getTo();
        rules.starts.push_back(static_cast<std::int64_t>(at / 1000.0));
        rules.offsets.push_back((to->getRawOffset() + to->getDSTSavings()) / 1000);
    }
}

std::shared_ptr<TimeZone::Rules> makeRules(std::unique_ptr<icu::TimeZone> zone, std::string id)
{
    auto rules = std::make_shared<TimeZone::Rules>();
    rules->id = std::move(id);
    rules->zone = std::move(zone);
    fillTransitions(*rules);
    return rules;
}

} // namespace

TimeZone TimeZone::utc()
{
    static const std::shared_ptr<const Rules> rules =
        makeRules(std::unique_ptr<icu::TimeZone>(icu::TimeZone::getGMT()->clone()), "UTC");
    return TimeZone(rules);
}

std::optional<TimeZone> TimeZone::named(std::string_view id)
{
    // A zone's rules never change once made, so the last zone made on this
    // thread is handed out again: a parser process names the run's zone for
    // every message it reads, and making one reads the tz database.
    thread_local std::optional<TimeZone> last;
    if (last && last->id() == id)
        return last;
    const icu::UnicodeString name = icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<std::int32_t>(id.size())));
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(name));
    icu::UnicodeString found;
    // An unknown name gives the "Etc/Unknown" zone (UCAL_UNKNOWN_ZONE_ID).
    if (!zone || zone->getID(found) == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID))
        return std::nullopt;
    last = TimeZone(makeRules(std::move(zone), std::string(id)));
    return last;
}

const std::string& TimeZone::id() const { return m_rules->id; }

std::int32_t TimeZone::offsetAt(std::int64_t unixSeconds) const
{
    const Rules& r = *m_rules;
    if (unixSeconds < r.tableFrom || unixSeconds >= r.tableTo)
        return r.icuOffset(unixSeconds);
    const auto after = std::upper_bound(r.starts.begin(), r.starts.end(), unixSeconds);
    if (after == r.starts.begin())
        return r.offsetBefore;
    return r.offsets[static_cast<std::size_t>(after - r.starts.begin() - 1)];
}

DateValue TimeZone::localTime(std::int64_t unixSeconds) const
{
    // The date value of 1970-01-01 00:00 is 25569 days after 1899-12-30.
    constexpr std::int64_t kUnixEpochInSeconds = 25569LL * 86400;
    return fromSeconds(unixSeconds + offsetAt(unixSeconds) + kUnixEpochInSeconds);
}

} // namespace brisk
