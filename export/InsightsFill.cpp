#include "export/InsightsFill.h"

#include "engine/Insights.h"
#include "engine/Session.h"
#include "engine/StepGuard.h"
#include "export/InsightsLayout.h"
#include "export/ResultsFill.h"
#include "platform/workbook/Workbook.h"

namespace brisk {
namespace {

namespace layout = insights_layout;

std::string cellAt(char column, int row)
{
    return std::string(1, column) + std::to_string(row);
}

const CellValue kNoData = std::string("no data");

void fillMap(Worksheet& sheet, const WeekHourMap& map, StepGuard& errors)
{
    // One column range per hour: seven writes of a whole column each.
    for (int hour = 0; hour < 24; ++hour) {
        const char column = static_cast<char>(layout::kMapFirstColumn + hour);
        std::vector<CellValue> counts;
        for (const auto& weekday : map)
            counts.emplace_back(static_cast<double>(weekday[static_cast<std::size_t>(hour)]));
        errors([&] {
            sheet.setRange(cellAt(column, layout::kMapFirstRow) + ":" + cellAt(column, layout::kMapFirstRow + 6),
                           counts);
        });
    }
}

void fillResponseTimes(Worksheet& sheet, const Insights& in, StepGuard& errors)
{
    const auto& p = in.responsePercentiles;
    const std::int32_t values[] = {p ? p->p25 : 0, p ? p->p50 : 0, p ? p->p75 : 0, p ? p->p90 : 0};
    for (int i = 0; i < 4; ++i) {
        const int row = layout::kPercentileRow + i;
        if (!p) {
            errors([&] { sheet.setCell(cellAt('B', row), kNoData); });
            continue;
        }
        // Whole hours and the minutes past them, both truncated towards zero.
        errors([&] { sheet.setCell(cellAt('B', row), static_cast<double>(values[i])); });
        errors([&] { sheet.setCell(cellAt('C', row), static_cast<double>(values[i] / 60)); });
        errors([&] { sheet.setCell(cellAt('D', row), static_cast<double>(values[i] % 60)); });
    }
    errors([&] {
        sheet.setCell(cellAt('B', layout::kResponseCountRow), static_cast<double>(in.responseCount));
    });
    const auto& a = in.answeredWithin;
    const double shares[] = {a ? a->hour : 0, a ? a->day : 0, a ? a->week : 0};
    for (int i = 0; i < 3; ++i)
        errors([&] { sheet.setCell(cellAt('B', layout::kWithinRow + i), a ? CellValue(shares[i]) : kNoData); });
}

} // namespace

void fillInsights(Workbook& book, const AppState& app, StepGuard& errors)
{
    if (!book.hasSheet(layout::kSheet))
        return;
    Worksheet* sheet = nullptr;
    errors([&] { sheet = &book.sheet(layout::kSheet); });
    if (!sheet)
        return;
    const WorkingTime& working = app.settings.workingTime;
    const Insights in = computeInsights(app.analysis, working);
    fillMap(*sheet, in.heatmap, errors);
    fillResponseTimes(*sheet, in, errors);
    errors([&] { sheet->setCell(cellAt('B', layout::kWorkingDaysRow), formatWorkingDays(working.days)); });
    errors([&] { sheet->setCell(cellAt('B', layout::kWorkingHoursRow), formatWorkingHours(working)); });
    errors([&] {
        const auto& share = in.workingHoursShare;
        sheet->setCell(cellAt('B', layout::kWorkingShareRow), share ? CellValue(*share) : kNoData);
    });
}

} // namespace brisk
