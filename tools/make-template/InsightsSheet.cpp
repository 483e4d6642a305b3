#include "tools/make-template/InsightsSheet.h"

#include "export/InsightsLayout.h"

#include <cstdio>
#include <string>

namespace brisk::tmpl {
namespace {

namespace layout = brisk::insights_layout;

// Layout rows count from 1; libxlsxwriter's from 0.
constexpr lxw_row_t row0(int row)
{
    return static_cast<lxw_row_t>(row - 1);
}

struct Formats {
    lxw_format* title;
    lxw_format* heading;
    lxw_format* rowLabel;
    lxw_format* count;
    lxw_format* percent;
};

Formats makeFormats(lxw_workbook* book)
{
    Formats f{};
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 12);
    f.heading = workbook_add_format(book);
    format_set_bold(f.heading);
    format_set_bottom(f.heading, LXW_BORDER_THIN);
    format_set_align(f.heading, LXW_ALIGN_CENTER);
    f.rowLabel = workbook_add_format(book);
    format_set_bold(f.rowLabel);
    f.count = workbook_add_format(book);
    format_set_num_format(f.count, "0");
    f.percent = workbook_add_format(book);
    format_set_num_format(f.percent, "0.0%");
    return f;
}

// Row labels in column A with a blank, formatted value cell in each of
// `columns` columns from B.
void labelledRows(lxw_worksheet* sheet, int firstRow, std::initializer_list<const char*> labels, int columns,
                  const Formats& f, lxw_format* value)
{
    int row = firstRow;
    for (const char* label : labels) {
        worksheet_write_string(sheet, row0(row), 0, label, f.rowLabel);
        for (int c = 1; c <= columns; ++c)
            worksheet_write_blank(sheet, row0(row), static_cast<lxw_col_t>(c), value);
        ++row;
    }
}

bool writeMap(lxw_worksheet* sheet, const Formats& f)
{
    worksheet_write_string(sheet, row0(layout::kMapHeadingRow - 1), 0, "E-mails by weekday and hour of day", f.title);
    worksheet_write_string(sheet, row0(layout::kMapHeadingRow), 0, "Day", f.heading);
    for (int hour = 0; hour < 24; ++hour) {
        char text[4];
        std::snprintf(text, sizeof text, "%02d", hour);
        worksheet_write_string(sheet, row0(layout::kMapHeadingRow), static_cast<lxw_col_t>(1 + hour), text,
                               f.heading);
    }
    labelledRows(sheet, layout::kMapFirstRow, {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}, 24, f, f.count);
    // White for no e-mail up to a deep blue for the busiest hour of the week.
    lxw_conditional_format scale{};
    scale.type = LXW_CONDITIONAL_2_COLOR_SCALE;
    scale.min_color = 0xFFFFFF;
    scale.max_color = 0x2F5597;
    if (worksheet_conditional_format_range(sheet, row0(layout::kMapFirstRow), 1, row0(layout::kMapFirstRow + 6), 24,
                                           &scale) != LXW_NO_ERROR) {
        std::fprintf(stderr, "make-template: cannot add the colour scale of the Insights map\n");
        return false;
    }
    return true;
}

void writeResponseTimes(lxw_worksheet* sheet, const Formats& f)
{
    const int headingRow = layout::kPercentileRow - 1;
    worksheet_write_string(sheet, row0(headingRow - 1), 0, "Response times", f.title);
    const char* headings[] = {"Percentile", "Minutes", "Hours", "and min"};
    for (lxw_col_t c = 0; c < 4; ++c)
        worksheet_write_string(sheet, row0(headingRow), c, headings[c], f.heading);
    labelledRows(sheet, layout::kPercentileRow, {"25th", "50th (median)", "75th", "90th"}, 3, f, f.count);
    labelledRows(sheet, layout::kResponseCountRow, {"Response times counted"}, 1, f, f.count);
    worksheet_write_string(sheet, row0(layout::kWithinRow - 1), 0, "Answered within", f.title);
    labelledRows(sheet, layout::kWithinRow, {"60 minutes", "24 hours", "7 days"}, 1, f, f.percent);
}

void writeWorkingTime(lxw_worksheet* sheet, const Formats& f)
{
    worksheet_write_string(sheet, row0(layout::kWorkingDaysRow - 1), 0, "Working time", f.title);
    labelledRows(sheet, layout::kWorkingDaysRow, {"Working days", "Working hours"}, 1, f, nullptr);
    labelledRows(sheet, layout::kWorkingShareRow, {"E-mails in working time"}, 1, f, f.percent);
}

} // namespace

bool writeInsightsSheet(lxw_workbook* book, lxw_worksheet* sheet)
{
    const Formats f = makeFormats(book);
    worksheet_set_column(sheet, 0, 0, 24, nullptr);
    worksheet_set_column(sheet, 1, 24, 6, nullptr);
    worksheet_write_string(sheet, 0, 0, "Insights: when your e-mail happens and how fast you answer", f.title);
    if (!writeMap(sheet, f))
        return false;
    writeResponseTimes(sheet, f);
    writeWorkingTime(sheet, f);
    return true;
}

} // namespace brisk::tmpl
