#pragma once
// Where the Insights sheet of the results workbook keeps its figures: the
// contract between the template generator (tools/make-template) and the
// export that fills the sheet. Rows are counted from 1, as in addresses.

namespace brisk::insights_layout {

inline constexpr const char* kSheet = "Insights";

// The weekday by hour map: hour h (0..23) in column 'B' + h, Monday to
// Sunday in rows kMapFirstRow to kMapFirstRow + 6 (B5:Y11).
inline constexpr int kMapHeadingRow = 4;
inline constexpr int kMapFirstRow = 5;
inline constexpr char kMapFirstColumn = 'B';
inline constexpr const char* kMapRange = "B5:Y11";

// Response-time percentiles 25, 50, 75, 90 in rows kPercentileRow to
// kPercentileRow + 3: column B the minutes, C whole hours, D the minutes
// past them (both with the sign of the time). Row kResponseCountRow, column
// B: how many response times they were taken from.
inline constexpr int kPercentileRow = 15;
inline constexpr int kResponseCountRow = 19;

// Shares answered within 60 minutes, 24 hours and 7 days (rows 22 to 24,
// column B), as fractions shown as percentages.
inline constexpr int kWithinRow = 22;

// The working time used (texts in column B) and the share of e-mails in it.
inline constexpr int kWorkingDaysRow = 27;
inline constexpr int kWorkingHoursRow = 28;
inline constexpr int kWorkingShareRow = 29;

} // namespace brisk::insights_layout
