#include "tools/make-template/TemplateLayout.h"

#include "tools/make-template/InsightsSheet.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace brisk::tmpl {
namespace {

struct Formats {
    lxw_format* title;
    lxw_format* heading;
    lxw_format* rowLabel;
    lxw_format* label;
    lxw_format* link;
    lxw_format* count;
    lxw_format* percent;
    lxw_format* decimal;
    lxw_format* hours;
    lxw_format* text;
    lxw_format* wholePercent;
};

lxw_format* numberFormat(lxw_workbook* book, const char* pattern, bool bold = false)
{
    lxw_format* format = workbook_add_format(book);
    format_set_num_format(format, pattern);
    if (bold)
        format_set_bold(format);
    return format;
}

Formats makeFormats(lxw_workbook* book)
{
    Formats f{};
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 14);
    f.heading = workbook_add_format(book);
    format_set_bold(f.heading);
    format_set_text_wrap(f.heading);
    format_set_bottom(f.heading, LXW_BORDER_THIN);
    f.rowLabel = workbook_add_format(book);
    format_set_bold(f.rowLabel);
    f.label = workbook_add_format(book);
    format_set_align(f.label, LXW_ALIGN_LEFT);
    format_set_bg_color(f.label, 0xF2F2F2);
    f.link = workbook_add_format(book);
    format_set_underline(f.link, LXW_UNDERLINE_SINGLE);
    format_set_font_color(f.link, LXW_COLOR_BLUE);
    f.count = numberFormat(book, "0");
    f.percent = numberFormat(book, "0.0%");
    f.decimal = numberFormat(book, "0.00");
    f.hours = numberFormat(book, "0.0");
    f.text = workbook_add_format(book);
    f.wholePercent = numberFormat(book, "0%");
    return f;
}

struct LabelRow {
    const char* name;
    const char* heading;
};

// The Summary sheet's labels, in the order the export writes them.
constexpr std::array<LabelRow, 19> kLabels = {{
    {"OutputUsernameLabel", "User name"},
    {"OutputMailboxLabel", "Analysed folder"},
    {"OutputAnalysisDateLabel", "Analysis date"},
    {"OutputEmailCountLabel", "E-mails in the folder"},
    {"OutputAnalysedEmailsCountLabel", "E-mails processed"},
    {"OutputValidEmailsCountLabel", "Valid e-mails analysed"},
    {"OutputPeriodFromLabel", "Period from"},
    {"OutputPeriodToLabel", "Period to"},
    {"OutputAvgEmailsPerDayLabel", "Average e-mails per day"},
    {"OutputMaxEmailsPerDayLabel", "Most e-mails in one day"},
    {"OutputOneToOneEmailsLabel", "One-to-one e-mails"},
    {"OutputReplyAndFwdEmailsLabel", "Replies and forwards"},
    {"OutputAvgEmailLgtWordsLabel", "Average length (words)"},
    {"OutputAvgEmailLgtCharsLabel", "Average length (characters)"},
    {"OutputMedianResponseHourLabel", "Median response time (hours)"},
    {"OutputMedianResponseMinuteLabel", "Median response time (minutes)"},
    {"OutputAvgEmailSizeLabel", "Average size (KB)"},
    {"OutputAvgEmailSizeWithAttLabel", "Average size with attachments (KB)"},
    {"OutputAvgEmailSizeWoAttLabel", "Average size without attachments (KB)"},
}};

constexpr lxw_row_t kFirstLabelRow = 3; // row 4

// A distribution block of the DetailedResults sheet: row labels in column
// `labelColumn`, the seven value columns right of it, buckets from row 3.
struct Block {
    const char* title;
    const char* rowHeading;
    lxw_col_t labelColumn;
    lxw_row_t chartRow; // 0-based; the weekday chart goes below the top lists
    std::vector<std::string> rows;
};

constexpr std::array<const char*, 7> kColumnHeadings = {
    "Count", "Share", "One-to-one per e-mail", "With attachments per e-mail",
    "Recipients per e-mail", "Words per e-mail", "Median response (hours)"};

std::vector<Block> blocks()
{
    std::vector<std::string> hours;
    for (int h = 0; h < 24; ++h) {
        char text[8];
        std::snprintf(text, sizeof text, "%02d-%02d", h, h + 1);
        hours.emplace_back(text);
    }
    return {
        {"E-mails by day of week", "Day", 0, 26, {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}},
        {"E-mails by hour of day", "Hour", 10, 29, hours},
        {"E-mails by month", "Month", 20, 17,
         {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}},
    };
}

std::string columnName(lxw_col_t column)
{
    std::string name;
    for (unsigned c = column + 1; c > 0; c = (c - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
    return name;
}

bool writeSummary(lxw_workbook* book, lxw_worksheet* sheet, const Formats& f)
{
    worksheet_set_column(sheet, 0, 0, 3, nullptr);
    worksheet_set_column(sheet, 1, 1, 38, nullptr);
    worksheet_set_column(sheet, 2, 2, 30, nullptr);
    worksheet_write_string(sheet, 1, 1, "BRISK Vezoriv: how you handle e-mail", f.title);
    worksheet_write_string(sheet, 2, 1, "Figure", f.heading);
    worksheet_write_string(sheet, 2, 2, "Value", f.heading);
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        const lxw_row_t row = kFirstLabelRow + static_cast<lxw_row_t>(i);
        worksheet_write_string(sheet, row, 1, kLabels[i].heading, nullptr);
        worksheet_write_blank(sheet, row, 2, f.label);
        const std::string target = "=Summary!$C$" + std::to_string(row + 1);
        if (workbook_define_name(book, kLabels[i].name, target.c_str()) != LXW_NO_ERROR) {
            std::fprintf(stderr, "make-template: cannot define %s\n", kLabels[i].name);
            return false;
        }
    }
    // Busiest buckets, read from the detailed sheet; empty until it is filled.
    const struct {
        const char* heading;
        const char* formula;
    } busiest[] = {
        {"Busiest day of week", "=IF(DetailedResults!B10>0,INDEX(DetailedResults!A3:A9,"
                                "MATCH(MAX(DetailedResults!B3:B9),DetailedResults!B3:B9,0)),\"\")"},
        {"Busiest hour of day", "=IF(DetailedResults!L27>0,INDEX(DetailedResults!K3:K26,"
                                "MATCH(MAX(DetailedResults!L3:L26),DetailedResults!L3:L26,0)),\"\")"},
        {"Busiest month", "=IF(DetailedResults!V15>0,INDEX(DetailedResults!U3:U14,"
                          "MATCH(MAX(DetailedResults!V3:V14),DetailedResults!V3:V14,0)),\"\")"},
    };
    for (lxw_row_t i = 0; i < 3; ++i) {
        worksheet_write_string(sheet, 23 + i, 1, busiest[i].heading, nullptr);
        worksheet_write_formula_str(sheet, 23 + i, 2, busiest[i].formula, f.label, "");
    }
    worksheet_write_string(sheet, 27, 1, "Detailed figures are on the DetailedResults sheet.", nullptr);
    worksheet_write_url_opt(sheet, 28, 1, kShareAddress, f.link, "Share my Results...",
                            "Send this file to the BRISK Vezoriv team");
    return true;
}

void writeBlock(lxw_workbook* book, lxw_worksheet* sheet, const Formats& f, const Block& block)
{
    const lxw_col_t first = block.labelColumn + 1;
    const lxw_row_t total = 2 + static_cast<lxw_row_t>(block.rows.size());
    lxw_format* columnFormats[7] = {f.count, f.percent, f.percent, f.percent, f.decimal, f.decimal, f.hours};
    worksheet_write_string(sheet, 0, first, block.title, f.title);
    worksheet_write_string(sheet, 1, block.labelColumn, block.rowHeading, f.heading);
    worksheet_set_column(sheet, block.labelColumn, block.labelColumn, 8, nullptr);
    worksheet_set_column(sheet, first, first + 6, 13, nullptr);
    for (lxw_col_t c = 0; c < 7; ++c)
        worksheet_write_string(sheet, 1, first + c, kColumnHeadings[c], f.heading);
    for (lxw_row_t r = 0; r <= block.rows.size(); ++r) {
        const lxw_row_t row = 2 + r;
        worksheet_write_string(sheet, row, block.labelColumn,
                               row == total ? "Total" : block.rows[r].c_str(), f.rowLabel);
        for (lxw_col_t c = 0; c < 7; ++c)
            worksheet_write_blank(sheet, row, first + c, columnFormats[c]);
    }
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_COLUMN);
    const std::string labels = "=DetailedResults!$" + columnName(block.labelColumn) + "$3:$" +
                               columnName(block.labelColumn) + "$" + std::to_string(total);
    const std::string counts = "=DetailedResults!$" + columnName(first) + "$3:$" + columnName(first) + "$" +
                               std::to_string(total);
    chart_series_set_name(chart_add_series(chart, labels.c_str(), counts.c_str()), "E-mails");
    chart_title_set_name(chart, block.title);
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    worksheet_insert_chart(sheet, block.chartRow, block.labelColumn, chart);
}

void writeTopLists(lxw_worksheet* sheet, const Formats& f)
{
    const struct {
        lxw_col_t column;
        const char* title;
    } lists[] = {{1, "Top senders"}, {5, "Top receivers"}};
    for (const auto& list : lists) {
        worksheet_write_string(sheet, 12, list.column, list.title, f.title);
        worksheet_write_string(sheet, 13, list.column, "Name", f.heading);
        worksheet_write_string(sheet, 13, list.column + 1, "Count", f.heading);
        worksheet_write_string(sheet, 13, list.column + 2, "Share", f.heading);
        for (lxw_row_t row = 14; row < 24; ++row) {
            worksheet_write_blank(sheet, row, list.column, f.text);
            worksheet_write_blank(sheet, row, list.column + 1, f.count);
            worksheet_write_blank(sheet, row, list.column + 2, f.wholePercent);
        }
    }
    worksheet_write_string(sheet, 13, 0, "Rank", f.heading);
    for (lxw_row_t row = 14; row < 24; ++row)
        worksheet_write_number(sheet, row, 0, row - 13, f.rowLabel);
}

} // namespace

bool buildTemplate(lxw_workbook* book)
{
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>("BRISK Vezoriv Analysis Template");
    properties.author = const_cast<char*>("BRISK Vezoriv");
    properties.created = 1577836800; // fixed, so that every build gives the same file
    workbook_set_properties(book, &properties);

    const Formats formats = makeFormats(book);
    lxw_worksheet* summary = workbook_add_worksheet(book, "Summary");
    lxw_worksheet* detailed = workbook_add_worksheet(book, "DetailedResults");
    if (!summary || !detailed || !writeSummary(book, summary, formats))
        return false;
    for (const Block& block : blocks())
        writeBlock(book, detailed, formats, block);
    writeTopLists(detailed, formats);
    lxw_worksheet* insights = workbook_add_worksheet(book, "Insights");
    if (!insights || !writeInsightsSheet(book, insights))
        return false;
    worksheet_activate(summary);
    return true;
}

} // namespace brisk::tmpl
