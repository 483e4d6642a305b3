// A whole export of the known store, read back by openpyxl: every cell of the
// three DetailedResults blocks with their totals and medians, the top lists,
// the nineteen Summary labels and the Insights sheet, then the anonymous copy.

#include "engine/WorkingTime.h"
#include "tests/export/export_Support.h"

#include <algorithm>
#include <array>

namespace brisk::test {
namespace {

using Values = std::map<std::string, ReadValue>;

struct BlockLayout {
    const char* name;
    std::array<const char*, 7> cols;
    int buckets;
    int (*key)(const KnownItem&);
};

const BlockLayout kBlocks[] = {
    {"weekday", {"B", "C", "D", "E", "F", "G", "H"}, 7, [](const KnownItem& k) { return k.weekday; }},
    {"hour", {"L", "M", "N", "O", "P", "Q", "R"}, 24, [](const KnownItem& k) { return k.hour + 1; }},
    {"month", {"V", "W", "X", "Y", "Z", "AA", "AB"}, 12, [](const KnownItem& k) { return k.month; }},
};

const char* const kLabels[] = {
    "OutputUsernameLabel", "OutputMailboxLabel", "OutputAnalysisDateLabel", "OutputEmailCountLabel",
    "OutputAnalysedEmailsCountLabel", "OutputValidEmailsCountLabel", "OutputPeriodFromLabel", "OutputPeriodToLabel",
    "OutputAvgEmailsPerDayLabel", "OutputMaxEmailsPerDayLabel", "OutputOneToOneEmailsLabel",
    "OutputReplyAndFwdEmailsLabel", "OutputAvgEmailLgtWordsLabel", "OutputAvgEmailLgtCharsLabel",
    "OutputMedianResponseHourLabel", "OutputMedianResponseMinuteLabel", "OutputAvgEmailSizeLabel",
    "OutputAvgEmailSizeWithAttLabel", "OutputAvgEmailSizeWoAttLabel",
};

std::string at(const char* col, int row) { return std::string("DetailedResults!") + col + std::to_string(row); }
std::string insights(char col, int row) { return "Insights!" + std::string(1, col) + std::to_string(row); }

std::vector<std::string> allQueries()
{
    std::vector<std::string> q = {"active:", "cf:Insights", "fmt:Insights!B22", "fmt:Insights!C5"};
    for (const BlockLayout& b : kBlocks)
        for (int row = 3; row <= b.buckets + 3; ++row)
            for (const char* col : b.cols)
                q.push_back(at(col, row));
    for (const char* col : {"B", "C", "D", "E", "F", "G", "H"})
        for (int row = 15; row <= 24; ++row)
            q.push_back(at(col, row));
    for (const char* label : kLabels)
        for (const char* kind : {"label:", "ref:"})
            q.push_back(kind + std::string(label));
    for (int row = 5; row <= 29; ++row)
        for (char col = 'A'; col <= (row <= 11 ? 'Y' : 'D'); ++col)
            q.push_back(insights(col, row));
    return q;
}

// What the known items put into one bucket (or, with key 0, into all).
struct Tally {
    double count = 0, oneToOne = 0, withAtt = 0, recipients = 0, words = 0;
    std::vector<int> minutes;
};

Tally tally(const BlockLayout& block, int key)
{
    Tally t;
    for (const KnownItem& k : knownItems()) {
        if (key != 0 && block.key(k) != key)
            continue;
        t.count += 1;
        t.oneToOne += k.recipients.size() == 1 ? 1 : 0;
        t.withAtt += k.attachments > 0 ? 1 : 0;
        t.recipients += static_cast<double>(k.recipients.size());
        t.words += k.words;
        if (k.responseMinutes >= 0)
            t.minutes.push_back(k.responseMinutes);
    }
    return t;
}

void expectNumber(const Values& v, const std::string& cell, double expected)
{
    ASSERT_TRUE(v.at(cell).isNumber()) << cell << " holds " << v.at(cell).type << " '" << v.at(cell).text << "'";
    EXPECT_NEAR(v.at(cell).number(), expected, 1e-9) << cell;
}

void expectText(const Values& v, const std::string& cell, const std::string& expected)
{
    EXPECT_EQ(v.at(cell).type, "str") << cell;
    EXPECT_EQ(v.at(cell).text, expected) << cell;
}

// One row: count, share, four ratios and the median ("no data" without one).
void expectRow(const Values& v, const BlockLayout& b, int row, Tally t)
{
    auto ratio = [&](double sum) { return t.count == 0 ? 0.0 : sum / t.count; };
    expectNumber(v, at(b.cols[0], row), t.count);
    expectNumber(v, at(b.cols[1], row), t.count / static_cast<double>(knownItems().size()));
    expectNumber(v, at(b.cols[2], row), ratio(t.oneToOne));
    expectNumber(v, at(b.cols[3], row), ratio(t.withAtt));
    expectNumber(v, at(b.cols[4], row), ratio(t.recipients));
    expectNumber(v, at(b.cols[5], row), ratio(t.words));
    if (t.minutes.empty())
        return expectText(v, at(b.cols[6], row), "no data");
    std::sort(t.minutes.begin(), t.minutes.end());
    const std::size_t n = t.minutes.size();
    expectNumber(v, at(b.cols[6], row), (t.minutes[(n - 1) / 2] + t.minutes[n / 2]) / 120.0);
}

void expectTopList(const Values& v, std::array<const char*, 3> cols,
                   const std::vector<std::pair<std::string, double>>& places)
{
    for (int p = 0; p < 10; ++p) {
        const int row = 15 + p;
        if (p >= static_cast<int>(places.size())) {
            for (const char* col : cols)
                EXPECT_TRUE(v.at(at(col, row)).isEmpty()) << at(col, row) << " holds " << v.at(at(col, row)).text;
            continue;
        }
        expectText(v, at(cols[0], row), places[p].first);
        expectNumber(v, at(cols[1], row), places[p].second);
        expectNumber(v, at(cols[2], row), places[p].second / 10);
    }
}

class ExportedWorkbook : public ExportFixture {
protected:
    std::filesystem::path exportKnown()
    {
        const auto saved = exportNow();
        EXPECT_TRUE(saved.has_value()) << ::testing::PrintToString(prompts.texts());
        return saved.value_or(std::filesystem::path());
    }
};

TEST_F(ExportedWorkbook, EveryCellOfTheKnownStoresResultsFile)
{
    analyse(knownFolder());
    const auto file = exportKnown();
    EXPECT_EQ(file, appDir / (std::string("Brisk Vezoriv Rizovave Output, ") + kUserName +
                              ", Sent Items05-12-26 140709.xlsm"));
    EXPECT_EQ(desktop.files, std::vector<std::filesystem::path>{file});
    EXPECT_EQ(log.entries, std::vector<std::string>{"results"});
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(view.asked, 1);
    EXPECT_EQ(view.busyCalls, (std::vector<bool>{true, false}));
    const Values v = readWorkbook(file, allQueries());

    for (const BlockLayout& b : kBlocks) {
        SCOPED_TRACE(b.name);
        for (int k = 1; k <= b.buckets; ++k)
            expectRow(v, b, k + 2, tally(b, k));
        expectRow(v, b, b.buckets + 3, tally(b, 0));
    }
    // Medians by hand: Monday 30 90 150, Tuesday 30 90 150 210, June 150 90
    // 150 210, 23:00 210; overall 30 30 90 [90] 150 150 210.
    for (const auto& [cell, hours] : std::vector<std::pair<const char*, double>>{
             {"H3", 1.5}, {"H4", 2}, {"AB8", 2.5}, {"R26", 3.5}, {"H10", 1.5}, {"R27", 1.5}, {"AB15", 1.5}})
        expectNumber(v, std::string("DetailedResults!") + cell, hours);
    expectTopList(v, {"B", "C", "D"}, {{"Alice", 4}, {"Dave", 3}, {"J\xC3\xBCrgen M\xC3\xBCller", 2}, {"=1+1", 1}});
    expectTopList(v, {"F", "G", "H"}, {{"Bob", 4}, {"Carol", 3}, {"Eve", 2}});
    for (int row = 15; row <= 24; ++row)
        EXPECT_TRUE(v.at(at("E", row)).isEmpty()) << "column E stays untouched, row " << row;

    EXPECT_EQ(v.at("active:").text, "Summary") << "the results file opens on the Summary sheet";
    for (const char* label : kLabels)
        EXPECT_EQ(v.at(std::string("ref:") + label).text.rfind("Summary!", 0), 0u) << label;
    // The panel's texts as the window shows them, and the figures beside them.
    const std::pair<const char*, const char*> shown[] = {
        {"OutputUsernameLabel", kUserName}, {"OutputMailboxLabel", "Sent Items"},
        {"OutputAnalysisDateLabel", kAnalysisDate}, {"OutputPeriodFromLabel", "14/03/11"},
        {"OutputPeriodToLabel", "18/12/11"}, {"OutputEmailCountLabel", "10"}, {"OutputAnalysedEmailsCountLabel", "10"},
        {"OutputAvgEmailsPerDayLabel", "0"}, // 10 over 280 days
        {"OutputMaxEmailsPerDayLabel", "3"}, // 14 June 2011
        {"OutputOneToOneEmailsLabel", "50"}, {"OutputReplyAndFwdEmailsLabel", "70"},
        {"OutputAvgEmailLgtWordsLabel", "3"}, // 34 words / 10
        {"OutputMedianResponseHourLabel", "1"}, {"OutputMedianResponseMinuteLabel", "30"},
        {"OutputAvgEmailSizeLabel", "3"}, // 32 KB / 10
    };
    for (const auto& [label, text] : shown)
        expectText(v, std::string("label:") + label, text);
    EXPECT_EQ(v.at("label:OutputMaxEmailsPerDayLabel").text, box(PanelBox::DailyEmailsMaxLabel));
    expectNumber(v, "label:OutputValidEmailsCountLabel", 10);
    expectNumber(v, "label:OutputAvgEmailLgtCharsLabel", app.analysis.vAvgEmailChars);
    EXPECT_GT(app.analysis.vAvgEmailChars, 0);
    expectNumber(v, "label:OutputAvgEmailSizeWithAttLabel", 2); // 4 + 6 + 2 + 8 KB over 10
    expectNumber(v, "label:OutputAvgEmailSizeWoAttLabel", 1);   // 6 x 2 KB over 10

    int map[7][24] = {};
    for (const KnownItem& k : knownItems())
        ++map[k.weekday - 1][k.hour];
    for (int w = 0; w < 7; ++w)
        for (int hour = 0; hour < 24; ++hour)
            expectNumber(v, insights(static_cast<char>('B' + hour), 5 + w), map[w][hour]);
    // Response times 30 30 90 90 150 150 210: ranks 2, 4, 6 and 7.
    for (int i = 0; i < 4; ++i) {
        const int minutes[] = {30, 90, 150, 210};
        expectNumber(v, insights('B', 15 + i), minutes[i]);
        expectNumber(v, insights('C', 15 + i), minutes[i] / 60);
        expectNumber(v, insights('D', 15 + i), 30);
    }
    expectText(v, insights('A', 16), "50th (median)");
    expectNumber(v, insights('B', 19), 7);
    expectNumber(v, insights('B', 22), 2.0 / 7);
    expectNumber(v, insights('B', 23), 1);
    expectNumber(v, insights('B', 24), 1);
    expectText(v, insights('B', 27), "Mon-Fri");
    expectText(v, insights('B', 28), "09:00-18:00");
    expectNumber(v, insights('B', 29), 0.6); // Monday 9, 11, 14 and Tuesday 9, 10, 14 o'clock
    EXPECT_EQ(v.at("cf:Insights").text, "B5:Y11 colorScale");
    EXPECT_EQ(v.at("fmt:Insights!B22").text, "0.0%");
    EXPECT_EQ(v.at("fmt:Insights!C5").text, "0");

    // Other working time: the sheet says which, and the share follows it.
    app.settings.workingTime = *parseWorkingTime("Sun-Thu", "08:00-17:00");
    clock.advanceSeconds(1);
    const Values other = readWorkbook(exportKnown(), {insights('B', 27), insights('B', 28), insights('B', 29)});
    expectText(other, insights('B', 27), "Mon-Thu, Sun");
    expectText(other, insights('B', 28), "08:00-17:00");
    expectNumber(other, insights('B', 29), 0.7); // and Sunday 16:20
}

TEST_F(ExportedWorkbook, AnonymousChangesOnlyTheUserNameLabelAndTheFileName)
{
    analyse(knownFolder());
    const auto named = exportKnown();
    view.options.anonymous = true;
    const auto anonymous = exportKnown();
    EXPECT_EQ(anonymous.filename().string(),
              "Brisk Vezoriv Rizovave Output, Anonymous, Sent Items05-12-26 140709.xlsm");
    const auto queries = allQueries();
    const Values a = readWorkbook(named, queries), b = readWorkbook(anonymous, queries);
    for (const auto& q : queries) {
        if (q == "label:OutputUsernameLabel")
            continue;
        EXPECT_EQ(a.at(q).type, b.at(q).type) << q;
        EXPECT_EQ(a.at(q).text, b.at(q).text) << q;
    }
    expectText(b, "label:OutputUsernameLabel", "Anonymous");
    expectText(b, "DetailedResults!B15", "Alice");
}

} // namespace
} // namespace brisk::test
