#pragma once
// Figures no single counter gives: when in the week the mail happens (a
// weekday by hour map), how the response times spread (percentiles and the
// shares answered within an hour, a day and a week) and how much of the mail
// falls in working time. They are taken from the per-item arrays the
// analysis keeps anyway: one pass over the slots and one sort of the
// response times, never a second walk of the store.

#include "engine/AnalysisState.h"
#include "engine/WorkingTime.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace brisk {

// Counts of analysed items by weekday (row 0 = Monday) and hour of day
// (column 0 = 00:00 to 00:59), in the local time the analysis used.
using WeekHourMap = std::array<std::array<std::int32_t, 24>, 7>;

// Response times in whole minutes at the 25th, 50th, 75th and 90th percentile.
struct ResponsePercentiles {
    std::int32_t p25 = 0, p50 = 0, p75 = 0, p90 = 0;
    friend bool operator==(const ResponsePercentiles&, const ResponsePercentiles&) = default;
};

// Shares (0 to 1) of the response times of at most 60 minutes, 24 hours and
// 7 days. A negative response time (the quoted clock ahead of ours) counts
// as within every limit.
struct AnsweredWithin {
    double hour = 0, day = 0, week = 0;
};

inline constexpr std::int32_t kMinutesInHour = 60;
inline constexpr std::int32_t kMinutesInDay = 24 * 60;
inline constexpr std::int32_t kMinutesInWeek = 7 * 24 * 60;

struct Insights {
    WeekHourMap heatmap{};
    std::int64_t mappedItems = 0;   // items in the map: the working-time share's base
    std::int64_t responseCount = 0; // response times the reply figures come from
    std::optional<ResponsePercentiles> responsePercentiles;
    std::optional<AnsweredWithin> answeredWithin;
    std::optional<double> workingHoursShare;
};

// The slots that hold both a weekday and an hour, that is every analysed item.
WeekHourMap weekHourMap(const PerItemArrays& items);
// The response times that exist (slots flagged `responded`), ascending.
std::vector<std::int32_t> sortedResponseMinutes(const PerItemArrays& items);
// Nearest rank: the value at rank ceil(percent / 100 * n), counted from 1,
// of n ascending values; n must be at least 1.
std::int32_t nearestRankPercentile(const std::vector<std::int32_t>& sorted, int percent);
// Both nullopt when there is no response time.
std::optional<ResponsePercentiles> responsePercentiles(const std::vector<std::int32_t>& sorted);
std::optional<AnsweredWithin> answeredWithin(const std::vector<std::int32_t>& sorted);
// The share of the map's items in working time; nullopt for an empty map.
std::optional<double> workingHoursShare(const WeekHourMap& map, const WorkingTime& working);

Insights computeInsights(const AnalysisState& state, const WorkingTime& working);

} // namespace brisk
