#pragma once
// The Insights sheet of the results workbook template: a weekday by hour
// map under a colour scale, the response-time percentiles, the shares
// answered within an hour, a day and a week, and the working time.

#include <xlsxwriter.h>

namespace brisk::tmpl {

// Returns false after printing what libxlsxwriter refused.
bool writeInsightsSheet(lxw_workbook* book, lxw_worksheet* sheet);

} // namespace brisk::tmpl
