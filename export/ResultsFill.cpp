#include "export/ResultsFill.h"

#include "engine/StepGuard.h"
#include "platform/workbook/Workbook.h"
#include "stats/ArrayStats.h"

#include <algorithm>

namespace brisk {
namespace {

// Label names of the Summary sheet, in the order they are written.
struct PanelLabel {
    const char* label;
    PanelBox box;
};

template <int N, typename T>
std::vector<CellValue> column(const Buckets<N, T>& buckets, double factor = 1)
{
    std::vector<CellValue> out;
    for (int i = 1; i <= N; ++i)
        out.emplace_back(static_cast<double>(buckets(i)) * factor);
    return out;
}

template <int N, typename T>
Array toArray(const Buckets<N, T>& buckets)
{
    Array a(1, N, Cell());
    for (int i = 1; i <= N; ++i)
        a[i] = Cell(static_cast<double>(buckets(i)));
    return a;
}

std::vector<CellValue> toColumn(const Array& a)
{
    std::vector<CellValue> out;
    for (long i = a.lower(); i <= a.upper(); ++i)
        out.emplace_back(a[i].number());
    return out;
}

std::string cellRange(const std::string& col, int first, int last)
{
    return col + std::to_string(first) + ":" + col + std::to_string(last);
}

// One block of DetailedResults: seven columns from `cols[0]`, buckets in rows
// 3 to N + 2, the total in row N + 3.
template <int N>
void fillBlock(Worksheet& sheet, const AnalysisState& s, const char* const cols[7], const Buckets<N>& count,
               const PercentBuckets<N>& percent, const Buckets<N>* ratios[4], const std::vector<std::int8_t>& keys,
               StepGuard& errors)
{
    const int last = N + 2, total = N + 3;
    auto totalCell = [&](int c) { return std::string(cols[c]) + std::to_string(total); };
    const Array counts = toArray(count);
    errors([&] { sheet.setRange(cellRange(cols[0], 3, last), column(count)); });
    errors([&] { sheet.setCell(totalCell(0), SumArray(counts)); });
    errors([&] { sheet.setRange(cellRange(cols[1], 3, last), toColumn(ScaleArray(toArray(percent), 0.01))); });
    errors([&] { sheet.setCell(totalCell(1), SumArray(toArray(percent)) * 0.01); });
    for (int r = 0; r < 4; ++r) {
        const Array numerators = toArray(*ratios[r]);
        errors([&] { sheet.setRange(cellRange(cols[2 + r], 3, last), toColumn(DivideArrays(numerators, counts))); });
        errors([&] {
            const double divisor = SumArray(counts);
            if (divisor == 0)
                throw std::domain_error("division by zero");
            sheet.setCell(totalCell(2 + r), SumArray(numerators) / divisor);
        });
    }
    // From the first median on, failing writes are skipped silently.
    for (int k = 1; k <= N; ++k) {
        std::optional<double> median;
        errors([&] { median = bucketMedianHours(s.items, keys, k); });
        errors.goSilent();
        const std::string cell = std::string(cols[6]) + std::to_string(k + 2);
        errors([&] {
            CellValue value(std::string("no data"));
            if (median)
                value = *median;
            sheet.setCell(cell, value);
        });
    }
    errors([&] {
        if (s.lResponseCount <= 0)
            throw std::domain_error("no response times");
        sheet.setCell(totalCell(6), s.responseMinutes.median() / 60.0);
    });
}

template <typename T>
std::vector<CellValue> topColumn(const std::array<T, TopListTables::kSlots>& slots)
{
    // Slots the top lists did not fill stay empty cells.
    std::vector<CellValue> out(10);
    for (std::size_t p = 0; p < out.size(); ++p) {
        if constexpr (std::is_same_v<T, std::string>) {
            if (!slots[p].empty())
                out[p].template emplace<std::string>(slots[p]);
        } else if (slots[p]) {
            out[p].template emplace<double>(static_cast<double>(*slots[p]));
        }
    }
    return out;
}

} // namespace

std::optional<double> bucketMedianHours(const PerItemArrays& items, const std::vector<std::int8_t>& keys, int key)
{
    // The bucket's response times: slots of this key that hold a response
    // time (fill values never enter a median).
    std::vector<std::int32_t> minutes;
    const std::size_t n = std::min({keys.size(), items.vItemResponseMinutes.size(), items.responded.size()});
    for (std::size_t i = 0; i < n; ++i)
        if (keys[i] == key && items.responded[i])
            minutes.push_back(items.vItemResponseMinutes[i]);
    if (minutes.empty())
        return std::nullopt;
    Array selection(0, static_cast<long>(minutes.size()) - 1, Cell());
    for (std::size_t i = 0; i < minutes.size(); ++i)
        selection[static_cast<long>(i)] = Cell(static_cast<double>(minutes[i]));
    const Array sorted = SortArray(selection, false);
    return MedianOfSorted(sorted, static_cast<long>(minutes.size())) / 60.0;
}

void fillSummary(Workbook& book, const AppState& app, const PanelView& panel, bool anonymous,
                 const std::string& analysisDate, StepGuard& errors)
{
    const AnalysisState& s = app.analysis;
    auto set = [&](const char* label, CellValue value) { errors([&] { book.setLabel(label, value); }); };
    set("OutputUsernameLabel", std::string(kAnonymous));
    if (!anonymous)
        set("OutputUsernameLabel", app.session.vUserName);
    errors([&] {
        if (!app.session.oPickedFolder)
            throw std::logic_error("no folder");
        book.setLabel("OutputMailboxLabel", app.session.oPickedFolder->name());
    });
    set("OutputAnalysisDateLabel", analysisDate);
    set("OutputEmailCountLabel", panel.boxText(PanelBox::ProgressNumMaxLabel));
    set("OutputAnalysedEmailsCountLabel", panel.boxText(PanelBox::ProgressNumLabel));
    set("OutputValidEmailsCountLabel", static_cast<double>(s.lEmailsAnalysed));
    set("OutputPeriodFromLabel", formatShortDate(s.dFirstEmailDate));
    set("OutputPeriodToLabel", formatShortDate(s.dLastEmailDate));
    static const PanelLabel texts[] = {
        {"OutputAvgEmailsPerDayLabel", PanelBox::DailyEmailsAvgLabel},
        {"OutputMaxEmailsPerDayLabel", PanelBox::DailyEmailsMaxLabel},
        {"OutputOneToOneEmailsLabel", PanelBox::OneToOneEmailPCLabel},
        {"OutputReplyAndFwdEmailsLabel", PanelBox::ReAndFwdPercentLabel},
        {"OutputAvgEmailLgtWordsLabel", PanelBox::EmailLgtWordsLabel},
    };
    for (const auto& t : texts)
        set(t.label, panel.boxText(t.box));
    set("OutputAvgEmailLgtCharsLabel", s.vAvgEmailChars);
    set("OutputMedianResponseHourLabel", panel.boxText(PanelBox::MedianResponseHrLabel));
    set("OutputMedianResponseMinuteLabel", panel.boxText(PanelBox::MedianResponseMinLabel));
    set("OutputAvgEmailSizeLabel", panel.boxText(PanelBox::EmailSizeKBLabel));
    set("OutputAvgEmailSizeWithAttLabel", s.vAvgSizeWithAttKB);
    set("OutputAvgEmailSizeWoAttLabel", s.vAvgSizeWoAttKB);
}

void fillDetailedResults(Worksheet& sheet, const AppState& app, StepGuard& errors)
{
    const AnalysisState& s = app.analysis;
    static const char* const weekdayCols[7] = {"B", "C", "D", "E", "F", "G", "H"};
    static const char* const hourCols[7] = {"L", "M", "N", "O", "P", "Q", "R"};
    static const char* const monthCols[7] = {"V", "W", "X", "Y", "Z", "AA", "AB"};
    const Buckets<7>* weekday[4] = {&s.vWeekdayOneToOne, &s.vWeekdayWithAtt, &s.vWeekdayRecipients, &s.vWeekdayWords};
    const Buckets<24>* hour[4] = {&s.vHourOneToOne, &s.vHourWithAtt, &s.vHourRecipients, &s.vHourWords};
    const Buckets<12>* month[4] = {&s.vMonthOneToOne, &s.vMonthWithAtt, &s.vMonthRecipients, &s.vMonthWords};
    fillBlock(sheet, s, weekdayCols, s.vWeekdayCount, s.vWeekdayPercent, weekday, s.items.vItemWeekday, errors);
    fillBlock(sheet, s, hourCols, s.vHourCount, s.vHourPercent, hour, s.items.vItemHour, errors);
    fillBlock(sheet, s, monthCols, s.vMonthCount, s.vMonthPercent, month, s.items.vItemMonth, errors);

    const TopListTables& t = app.topLists;
    errors([&] { sheet.setRange("B15:B24", topColumn(t.vTopSenderNames)); });
    errors([&] { sheet.setRange("C15:C24", topColumn(t.vTopSenderCounts)); });
    errors([&] { sheet.setRange("D15:D24", topColumn(t.vTopSenderShares)); });
    errors([&] { sheet.setRange("F15:F24", topColumn(t.vTopReceiverNames)); });
    errors([&] { sheet.setRange("G15:G24", topColumn(t.vTopReceiverCounts)); });
    errors([&] { sheet.setRange("H15:H24", topColumn(t.vTopReceiverShares)); });
}

} // namespace brisk
