#pragma once
// The sheets, labels, formats and charts of the results workbook template.

#include <xlsxwriter.h>

namespace brisk::tmpl {

// The address the template's 'Share my Results...' link writes to.
inline constexpr const char* kShareAddress =
    "mailto:results@brisk-vezoriv.example.org?subject=My%20BRISK%20Vezoriv%20results";

// Adds the Summary, DetailedResults and Insights sheets, their labels and
// charts.
// Returns false after printing what libxlsxwriter refused.
bool buildTemplate(lxw_workbook* book);

} // namespace brisk::tmpl
