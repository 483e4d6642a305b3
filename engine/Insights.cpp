#include "engine/Insights.h"

#include <algorithm>
#include <stdexcept>

namespace brisk {

WeekHourMap weekHourMap(const PerItemArrays& items)
{
    // Both keys are written by the same step of the analysis, so an analysed
    // item has both; slots left at the fill value -1 are skipped.
    WeekHourMap map{};
    const std::size_t n = std::min(items.vItemWeekday.size(), items.vItemHour.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int w = items.vItemWeekday[i], h = items.vItemHour[i];
        if (w >= 1 && w <= 7 && h >= 1 && h <= 24)
            ++map[static_cast<std::size_t>(w - 1)][static_cast<std::size_t>(h - 1)];
    }
    return map;
}

std::vector<std::int32_t> sortedResponseMinutes(const PerItemArrays& items)
{
    std::vector<std::int32_t> minutes;
    const std::size_t n = std::min(items.vItemResponseMinutes.size(), items.responded.size());
    for (std::size_t i = 0; i < n; ++i)
        if (items.responded[i])
            minutes.push_back(items.vItemResponseMinutes[i]);
    std::sort(minutes.begin(), minutes.end());
    return minutes;
}

std::int32_t nearestRankPercentile(const std::vector<std::int32_t>& sorted, int percent)
{
    if (sorted.empty() || percent < 1 || percent > 100)
        throw std::out_of_range("percentile of no values");
    // ceil(p * n / 100) in whole numbers: no floating-point rounding can move
    // an exact rank (90% of 10 values is rank 9, not 10).
    const auto n = static_cast<std::int64_t>(sorted.size());
    const std::int64_t rank = (percent * n + 99) / 100;
    return sorted[static_cast<std::size_t>(rank - 1)];
}

std::optional<ResponsePercentiles> responsePercentiles(const std::vector<std::int32_t>& sorted)
{
    if (sorted.empty())
        return std::nullopt;
    return ResponsePercentiles{nearestRankPercentile(sorted, 25), nearestRankPercentile(sorted, 50),
                               nearestRankPercentile(sorted, 75), nearestRankPercentile(sorted, 90)};
}

std::optional<AnsweredWithin> answeredWithin(const std::vector<std::int32_t>& sorted)
{
    if (sorted.empty())
        return std::nullopt;
    const auto share = [&](std::int32_t limit) {
        const auto within = std::upper_bound(sorted.begin(), sorted.end(), limit) - sorted.begin();
        return static_cast<double>(within) / static_cast<double>(sorted.size());
    };
    return AnsweredWithin{share(kMinutesInHour), share(kMinutesInDay), share(kMinutesInWeek)};
}

std::optional<double> workingHoursShare(const WeekHourMap& map, const WorkingTime& working)
{
    std::int64_t all = 0, inWorkingTime = 0;
    for (int w = 1; w <= 7; ++w)
        for (int hour = 0; hour < 24; ++hour) {
            const std::int32_t count = map[static_cast<std::size_t>(w - 1)][static_cast<std::size_t>(hour)];
            all += count;
            if (working.contains(w, hour))
                inWorkingTime += count;
        }
    if (all == 0)
        return std::nullopt;
    return static_cast<double>(inWorkingTime) / static_cast<double>(all);
}

Insights computeInsights(const AnalysisState& state, const WorkingTime& working)
{
    Insights out;
    out.heatmap = weekHourMap(state.items);
    for (const auto& row : out.heatmap)
        for (const std::int32_t count : row)
            out.mappedItems += count;
    const std::vector<std::int32_t> minutes = sortedResponseMinutes(state.items);
    out.responseCount = static_cast<std::int64_t>(minutes.size());
    out.responsePercentiles = responsePercentiles(minutes);
    out.answeredWithin = answeredWithin(minutes);
    out.workingHoursShare = workingHoursShare(out.heatmap, working);
    return out;
}

} // namespace brisk
