#pragma once
// Filling the Insights sheet of the results workbook (layout in
// export/InsightsLayout.h) after the Summary and DetailedResults sheets.

namespace brisk {

class Workbook;
class StepGuard;
struct AppState;

// Writes the weekday by hour map, the response-time percentiles, the shares
// answered within an hour, a day and a week, and the working-time figures,
// each write under the export's error rule. A template without the sheet
// (made before it existed) is left as it is, without a message.
void fillInsights(Workbook& book, const AppState& app, StepGuard& errors);

} // namespace brisk
