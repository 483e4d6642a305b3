// A whole export of the known store, read back by openpyxl, then the
// anonymous copy; and the file as LibreOffice shows it. Then the export's
// error rule, with hand-made templates that lack a sheet or a label: up to
// the first weekday median a failing write shows the generic message and the
// export goes on; from there on it is skipped silently.

#include "engine/WorkingTime.h"
#include "export/ResultsFill.h"
#include "tests/export/export_Support.h"

#include <algorithm>
#include <array>

namespace brisk::test {
namespace {

struct BlockLayout {
    std::array<const char*, 7> cols;
    int buckets;
    int (*key)(const KnownItem&);
};

const BlockLayout kBlocks[] = {
    {{"B", "C", "D", "E", "F", "G", "H"}, 7, [](const KnownItem& k) { return k.weekday; }},
    {{"L", "M", "N", "O", "P", "Q", "R"}, 24, [](const KnownItem& k) { return k.hour + 1; }},
    {{"V", "W", "X", "Y", "Z", "AA", "AB"}, 12, [](const KnownItem& k) { return k.month; }},
};

std::string at(const char* col, int row) { return std::string("DetailedResults!") + col + std::to_string(row); }
std::string insights(char col, int row) { return "Insights!" + std::string(1, col) + std::to_string(row); }

// One block row of what the known items put into bucket `key` (0: all of
// them): count, share, four ratios and the median ("no data" without one).
void addBlockRow(CellTable& t, const BlockLayout& b, int row, int key)
{
    double count = 0, oneToOne = 0, withAtt = 0, recipients = 0, words = 0;
    std::vector<int> minutes;
    for (const KnownItem& k : knownItems()) {
        if (key != 0 && b.key(k) != key)
            continue;
        count += 1;
        oneToOne += k.recipients.size() == 1 ? 1 : 0;
        withAtt += k.attachments > 0 ? 1 : 0;
        recipients += static_cast<double>(k.recipients.size());
        words += k.words;
        if (k.responseMinutes >= 0)
            minutes.push_back(k.responseMinutes);
    }
    auto ratio = [&](double sum) { return count == 0 ? 0.0 : sum / count; };
    const double values[] = {count, count / 10, ratio(oneToOne), ratio(withAtt), ratio(recipients), ratio(words)};
    for (int c = 0; c < 6; ++c)
        t.emplace_back(at(b.cols[c], row), values[c]);
    std::sort(minutes.begin(), minutes.end());
    const std::size_t n = minutes.size();
    t.emplace_back(at(b.cols[6], row),
                   n == 0 ? Expected("no data") : Expected((minutes[(n - 1) / 2] + minutes[n / 2]) / 120.0));
}

// Ten places of a top list from row 15: name, count and share; empty beyond.
void addTopList(CellTable& t, std::array<const char*, 3> cols, const std::vector<std::pair<const char*, int>>& places)
{
    for (std::size_t p = 0; p < 10; ++p) {
        const bool used = p < places.size();
        t.emplace_back(at(cols[0], 15 + p), used ? places[p].first : "");
        t.emplace_back(at(cols[1], 15 + p), used ? Expected(places[p].second) : Expected(""));
        t.emplace_back(at(cols[2], 15 + p), used ? Expected(places[p].second / 10.0) : Expected(""));
    }
}

CellTable knownStoreCells()
{
    CellTable t;
    for (const BlockLayout& b : kBlocks) {
        for (int k = 1; k <= b.buckets; ++k)
            addBlockRow(t, b, k + 2, k);
        addBlockRow(t, b, b.buckets + 3, 0);
    }
    addTopList(t, {"B", "C", "D"}, {{"Alice", 4}, {"Dave", 3}, {"J\xC3\xBCrgen M\xC3\xBCller", 2}, {"=1+1", 1}});
    addTopList(t, {"F", "G", "H"}, {{"Bob", 4}, {"Carol", 3}, {"Eve", 2}});
    for (int row = 15; row <= 24; ++row)
        t.emplace_back(at("E", row), ""); // a column between the lists stays untouched
    int map[7][24] = {};
    for (const KnownItem& k : knownItems())
        ++map[k.weekday - 1][k.hour];
    for (int w = 0; w < 7; ++w)
        for (int hour = 0; hour < 24; ++hour)
            t.emplace_back(insights(static_cast<char>('B' + hour), 5 + w), map[w][hour]);
    // Medians by hand: Monday 30 90 150, Tuesday 30 90 150 210, June 150 90
    // 150 210, 23:00 210; overall 30 30 90 [90] 150 150 210. Response times
    // 30 30 90 90 150 150 210 give the 25th to 90th percentiles ranks 2, 4, 6
    // and 7. Per day 10 over 280 days, at most 3 (14 June 2011); 34 words and
    // 32 KB over 10; with attachments 4 + 6 + 2 + 8 KB, without 6 x 2 KB.
    // Working time: Monday 9, 11, 14 and Tuesday 9, 10, 14 o'clock.
    const CellTable byHand = {{"DetailedResults!H3", 1.5}, {"DetailedResults!H4", 2}, {"DetailedResults!AB8", 2.5},
        {"DetailedResults!R26", 3.5}, {"DetailedResults!H10", 1.5}, {"DetailedResults!R27", 1.5},
        {"DetailedResults!AB15", 1.5}, {"label:OutputUsernameLabel", kUserName},
        {"label:OutputMailboxLabel", "Sent Items"}, {"label:OutputAnalysisDateLabel", kAnalysisDate},
        {"label:OutputPeriodFromLabel", "14/03/11"}, {"label:OutputPeriodToLabel", "18/12/11"},
        {"label:OutputEmailCountLabel", "10"}, {"label:OutputAnalysedEmailsCountLabel", "10"},
        {"label:OutputValidEmailsCountLabel", 10}, {"label:OutputAvgEmailsPerDayLabel", "0"},
        {"label:OutputMaxEmailsPerDayLabel", "3"}, {"label:OutputOneToOneEmailsLabel", "50"},
        {"label:OutputReplyAndFwdEmailsLabel", "70"}, {"label:OutputAvgEmailLgtWordsLabel", "3"},
        {"label:OutputMedianResponseHourLabel", "1"}, {"label:OutputMedianResponseMinuteLabel", "30"},
        {"label:OutputAvgEmailSizeLabel", "3"}, {"label:OutputAvgEmailSizeWithAttLabel", 2},
        {"label:OutputAvgEmailSizeWoAttLabel", 1}, {"Insights!B15", 30}, {"Insights!C15", 0}, {"Insights!D15", 30},
        {"Insights!B16", 90}, {"Insights!C16", 1}, {"Insights!D16", 30}, {"Insights!B17", 150}, {"Insights!C17", 2},
        {"Insights!D17", 30}, {"Insights!B18", 210}, {"Insights!C18", 3}, {"Insights!D18", 30},
        {"Insights!A16", "50th (median)"}, {"Insights!B19", 7}, {"Insights!B22", 2.0 / 7}, {"Insights!B23", 1},
        {"Insights!B24", 1}, {"Insights!B27", "Mon-Fri"}, {"Insights!B28", "09:00-18:00"}, {"Insights!B29", 0.6},
        {"active:", "Summary"}, {"cf:Insights", "B5:Y11 colorScale"}};
    t.insert(t.end(), byHand.begin(), byHand.end());
    return t;
}

using ExportedWorkbook = ExportFixture;

TEST_F(ExportedWorkbook, EveryCellOfTheKnownStoresResultsFileAndItsAnonymousCopy)
{
    analyse(knownFolder());
    const auto file = exportNow();
    ASSERT_TRUE(file) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(std::tuple(prompts.texts(), view.asked, view.busyCalls),
              std::tuple(std::vector<std::string>{}, 1, std::vector<bool>{true, false}));
    CellTable cells = knownStoreCells();
    EXPECT_GT(app.analysis.vAvgEmailChars, 0);
    cells.emplace_back("label:OutputAvgEmailLgtCharsLabel", app.analysis.vAvgEmailChars);
    const auto named = expectCells(*file, cells);
    EXPECT_EQ(std::tuple(named.at("Insights!B22").numberFormat, named.at("Insights!C5").numberFormat),
              std::tuple("0.0%", "0"));

    // Anonymous, with other working time: only the user name label, the
    // file's name and the working-time cells change.
    view.options.anonymous = true;
    app.settings.workingTime = *parseWorkingTime("Sun-Thu", "08:00-17:00");
    const auto anonymous = exportNow();
    ASSERT_TRUE(anonymous);
    EXPECT_EQ(anonymous->filename().string(),
              "Brisk Vezoriv Rizovave Output, Anonymous, Sent Items05-12-26 140709.xlsm");
    const CellTable changed = {{"label:OutputUsernameLabel", "Anonymous"}, {"Insights!B27", "Mon-Thu, Sun"},
                               {"Insights!B28", "08:00-17:00"}, {"Insights!B29", 0.7}}; // and Sunday 16:20
    for (auto& [query, expected] : cells)
        for (const auto& [q, e] : changed)
            if (q == query)
                expected = e;
    expectCells(*anonymous, cells);
}

// The template's formulas see the exported values; the colour scale
// survives LibreOffice saving the file.
TEST_F(ExportedWorkbook, LibreOfficeShowsTheExportedValues)
{
    const auto office = findOffice();
    if (office.empty())
        GTEST_SKIP() << "soffice is not installed; scripts/install-deps --office installs LibreOffice";
    analyse(knownFolder());
    const auto saved = exportNow();
    ASSERT_TRUE(saved) << ::testing::PrintToString(prompts.texts());
    // A plain name: LibreOffice names each sheet's CSV after the file.
    const auto copy = dir / "results.xlsm";
    std::filesystem::copy_file(*saved, copy);
    ASSERT_TRUE(officeConvert(office, copy, kCsvEverySheet, dir / "csv"));
    const std::pair<const char*, std::vector<std::string>> sheets[] = {
        {"Summary", {std::string(",User name,") + kUserName + "\n", ",Period to,18/12/11\n",
                     // Formulas of the template, recomputed from the exported counts.
                     ",Busiest day of week,Tue\n", ",Busiest month,Jun\n"}},
        {"DetailedResults", {"Mon,3,30%,66.6666666666667%,33.3333333333333%,1.33333333333333,3.33333333333333,1.5,",
                             "3,J\xC3\xBCrgen M\xC3\xBCller,2,20%,,Eve,2,20%,"}},
        {"Insights", {"\nTue,0,0,0,0,0,0,0,0,0,1,1,0,0,0,1,0,0,0,0,0,0,0,0,1\n", "\n60 minutes,28.5714285714286%,"}}};
    for (const auto& [sheet, lines] : sheets) {
        const auto csv = dir / "csv" / ("results-" + std::string(sheet) + ".csv");
        ASSERT_TRUE(std::filesystem::exists(csv)) << "LibreOffice did not load the file";
        const std::string text = readFile(csv);
        for (const std::string& line : lines)
            EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
    ASSERT_TRUE(officeConvert(office, copy, "xlsx", dir / "xlsx"));
    expectCells(dir / "xlsx" / "results.xlsx", {{"cf:Insights", "B5:Y11 colorScale"}, {"Insights!B22", 2.0 / 7}});
}

// Copies the zip `src` to `dst` with the regular expression argv[3] replaced
// by argv[4] in xl/workbook.xml; fails when it matches nothing.
constexpr const char* kEditWorkbookXml = R"(import re, sys, zipfile
src, dst, pattern, replacement = sys.argv[1:]
with zipfile.ZipFile(src) as a, zipfile.ZipFile(dst, "w") as b:
    for entry in a.infolist():
        data = a.read(entry)
        if entry.filename == "xl/workbook.xml":
            data, n = re.subn(pattern.encode(), replacement.encode(), data)
            if n == 0:
                sys.exit("the template's workbook.xml has no " + pattern)
        b.writestr(entry, data)
)";

const std::string kGeneric = "BRISK Vezoriv Rizovave: Error in ExportButton: lEmailsProcessed = 10";
using HandMadeTemplate = ExportFixture;

TEST_F(HandMadeTemplate, EachFailingWriteBeforeTheMediansShowsTheMessageAndTheExportCompletes)
{
    // What is wrong, the pattern replaced in workbook.xml and by what, the
    // messages shown and what the saved file holds.
    const std::tuple<const char*, std::string, std::string, std::size_t, CellTable> cases[] = {
        {"a label missing", "<definedName name=\"OutputMailboxLabel\">[^<]*</definedName>", "", 1,
         {{"Summary!C5", ""}, {"label:OutputUsernameLabel", kUserName}, {"DetailedResults!H3", 1.5}}},
        // The labels still point at "Summary": twenty writes fail, the user
        // name label taking "Anonymous" and then the name.
        {"Summary renamed", "<sheet name=\"Summary\"", "<sheet name=\"Overview\"", 20,
         {{"DetailedResults!B10", 10}, {"DetailedResults!H10", 1.5}, {"DetailedResults!B15", "Alice"}}},
        {"DetailedResults renamed", "<sheet name=\"DetailedResults\"", "<sheet name=\"Details\"", 1,
         {{"label:OutputValidEmailsCountLabel", 10}, {"Details!B10", ""}}},
        {"no Insights sheet", "<sheet name=\"Insights\"", "<sheet name=\"Notes\"", 0,
         {{"DetailedResults!B10", 10}, {"Notes!B5", ""}, {"Notes!B29", ""}}}};
    for (const auto& [what, pattern, with, messages, cells] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove(appTemplate());
        runPython(kEditWorkbookXml, {builtTemplatePath().string(), appTemplate().string(), pattern, with});
        prompts.shown.clear();
        analyse(knownFolder());
        const auto saved = exportNow();
        EXPECT_EQ(prompts.texts(), std::vector<std::string>(messages, kGeneric));
        for (const auto& shown : prompts.shown)
            EXPECT_EQ(shown.title, "Brisk Vezoriv Rireviru");
        ASSERT_TRUE(saved);
        EXPECT_EQ(desktop.files.back(), *saved);
        expectCells(*saved, cells);
        clock.advanceSeconds(1);
    }
}

TEST_F(HandMadeTemplate, NoResponseTimeAtAllLeavesTheOverallMediansSilently)
{
    analyse(store.top().add("Sent Items").addItems(3));
    ASSERT_EQ(app.analysis.lResponseCount, 0);
    const auto saved = exportNow();
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    ASSERT_TRUE(saved);
    // The overall medians keep the template's (empty) cells; 15 June 2011 is
    // a Wednesday with e-mails but no response; Insights says "no data", and
    // counts a Wednesday's 09:00, 10:00 and 11:00 in working time.
    expectCells(*saved, {{"DetailedResults!H10", ""}, {"DetailedResults!R27", ""}, {"DetailedResults!AB15", ""},
                            {"DetailedResults!H5", "no data"}, {"Insights!B15", "no data"}, {"Insights!C15", ""},
                            {"Insights!B18", "no data"}, {"Insights!B19", 0}, {"Insights!B22", "no data"},
                            {"Insights!B24", "no data"}, {"Insights!B29", 1}});
}

// The known store's buckets show the medians and the slots left out (-1
// without a response); a reply timed at -1 minute is a response time.
TEST(BucketMedian, ARealMinusOneMinuteCounts)
{
    PerItemArrays items;
    items.vItemResponseMinutes = {-1};
    items.responded = {true};
    EXPECT_EQ(bucketMedianHours(items, {1}, 1), -1.0 / 60);
}

} // namespace
} // namespace brisk::test
