#pragma once
// Filling the results workbook: the nineteen labels of the Summary sheet and
// every cell and range of the DetailedResults sheet, from the analysis state,
// the panel's texts and the top-list tables.

#include "engine/ResultsPanel.h"
#include "engine/Session.h"

#include <string>

namespace brisk {

class Workbook;
class Worksheet;
class StepGuard;

inline constexpr const char* kAnonymous = "Anonymous";

// Summary: user name ("Anonymous" first, then the user's name unless the
// results are anonymous), folder, analysis date and the panel's texts.
void fillSummary(Workbook& book, const AppState& app, const PanelView& panel, bool anonymous,
                 const std::string& analysisDate, StepGuard& errors);
// DetailedResults: the weekday, hour and month blocks with totals and
// medians, then the top lists in rows 15 to 24.
void fillDetailedResults(Worksheet& sheet, const AppState& app, StepGuard& errors);

// The median response time in hours of the responses whose key (weekday,
// hour or month index) is `key`, or nullopt when that bucket has none.
std::optional<double> bucketMedianHours(const PerItemArrays& items, const std::vector<std::int8_t>& keys, int key);

} // namespace brisk
