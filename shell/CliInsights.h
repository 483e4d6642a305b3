#pragma once
// The insights of a run on the command line: the "insights" member of the
// JSON output and a small text grid of the weekday by hour map with the
// reply-time figures for the plain output.

#include "engine/Insights.h"

#include <iosfwd>
#include <string>

namespace brisk {

// One JSON object: heatmap (7 arrays of 24 counts, Monday and hour 0
// first), responsePercentiles (p25, p50, p75, p90 in minutes, or null),
// answeredWithin (hour, day, week shares, or null), workingHoursShare (or
// null), and the working days and hours it was measured with.
std::string insightsJson(const Insights& insights, const WorkingTime& working);

// The map as a grid of shades (blank for none, "@" for the busiest hour of
// the week), then the percentiles and shares.
void printInsightsText(const Insights& insights, const WorkingTime& working, std::ostream& out);

// "1 h 30 min", "45 min", "-5 min".
std::string hoursAndMinutes(std::int64_t minutes);

} // namespace brisk
