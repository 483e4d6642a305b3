// A whole export of a known store, read back by an independent reader: the
// nineteen Summary labels, every cell of the three DetailedResults blocks
// with their totals and medians, and the top lists.

#include "tests/export/export_Support.h"

#include <algorithm>
#include <array>

namespace brisk::test {
namespace {

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

std::optional<double> medianHours(std::vector<int> minutes)
{
    if (minutes.empty())
        return std::nullopt;
    std::sort(minutes.begin(), minutes.end());
    const std::size_t n = minutes.size();
    const double middle = n % 2 ? minutes[n / 2] : (minutes[n / 2 - 1] + minutes[n / 2]) / 2.0;
    return middle / 60.0;
}

std::string at(const char* col, int row) { return std::string("DetailedResults!") + col + std::to_string(row); }

std::vector<std::string> blockQueries()
{
    std::vector<std::string> q;
    for (const BlockLayout& b : kBlocks)
        for (int row = 3; row <= b.buckets + 3; ++row)
            for (const char* col : b.cols)
                q.push_back(at(col, row));
    for (const char* col : {"B", "C", "D", "E", "F", "G", "H"})
        for (int row = 15; row <= 24; ++row)
            q.push_back(at(col, row));
    return q;
}

void expectNumber(const std::map<std::string, ReadValue>& v, const std::string& cell, double expected)
{
    const ReadValue& got = v.at(cell);
    ASSERT_TRUE(got.isNumber()) << cell << " holds " << got.type << " '" << got.text << "'";
    EXPECT_NEAR(got.number(), expected, 1e-9) << cell;
}

void expectText(const std::map<std::string, ReadValue>& v, const std::string& cell, const std::string& expected)
{
    EXPECT_EQ(v.at(cell).type, "str") << cell;
    EXPECT_EQ(v.at(cell).text, expected) << cell;
}

void expectMedian(const std::map<std::string, ReadValue>& v, const std::string& cell, std::optional<double> hours)
{
    if (hours)
        expectNumber(v, cell, *hours);
    else
        expectText(v, cell, "no data");
}

// One row: count, share, four ratios and the median, against a tally.
void expectRow(const std::map<std::string, ReadValue>& v, const BlockLayout& b, int row, const Tally& t, double all)
{
    auto ratio = [&](double sum) { return t.count == 0 ? 0.0 : sum / t.count; };
    expectNumber(v, at(b.cols[0], row), t.count);
    expectNumber(v, at(b.cols[1], row), t.count / all);
    expectNumber(v, at(b.cols[2], row), ratio(t.oneToOne));
    expectNumber(v, at(b.cols[3], row), ratio(t.withAtt));
    expectNumber(v, at(b.cols[4], row), ratio(t.recipients));
    expectNumber(v, at(b.cols[5], row), ratio(t.words));
    expectMedian(v, at(b.cols[6], row), medianHours(t.minutes));
}

class ExportedWorkbook : public ExportFixture {
protected:
    std::filesystem::path exportKnown()
    {
        analyse(knownFolder());
        const auto saved = exportNow();
        EXPECT_TRUE(saved.has_value()) << ::testing::PrintToString(prompts.texts());
        return saved.value_or(std::filesystem::path());
    }
};

TEST_F(ExportedWorkbook, EveryBlockCellTotalAndMedianMatchesTheItems)
{
    const auto file = exportKnown();
    const auto v = readBack(file, blockQueries());
    const double all = static_cast<double>(knownItems().size());
    for (const BlockLayout& b : kBlocks) {
        SCOPED_TRACE(b.name);
        for (int k = 1; k <= b.buckets; ++k)
            expectRow(v, b, k + 2, tally(b, k), all);
        expectRow(v, b, b.buckets + 3, tally(b, 0), all);
        expectNumber(v, at(b.cols[0], b.buckets + 3), app.analysis.lEmailsAnalysed);
    }
}

TEST_F(ExportedWorkbook, MediansOfChosenBucketsAndOverall)
{
    const auto v = readBack(exportKnown(), blockQueries());
    expectNumber(v, "DetailedResults!H3", 1.5); // Monday: 30, 90, 150 minutes
    expectNumber(v, "DetailedResults!H4", 2.0); // Tuesday: 30, 90, 150, 210 minutes
    expectNumber(v, "DetailedResults!B5", 1);   // Wednesday: an e-mail without response
    expectText(v, "DetailedResults!H5", "no data");
    expectNumber(v, "DetailedResults!B6", 0); // Thursday: no e-mail at all
    expectNumber(v, "DetailedResults!C6", 0);
    expectNumber(v, "DetailedResults!D6", 0);
    expectText(v, "DetailedResults!H6", "no data");
    for (const char* overall : {"DetailedResults!H10", "DetailedResults!R27", "DetailedResults!AB15"})
        expectNumber(v, overall, 1.5); // 30 30 90 [90] 150 150 210
    expectNumber(v, "DetailedResults!AB5", 0.5);  // March: 30, 90, 30
    expectNumber(v, "DetailedResults!AB8", 2.5);  // June: 150, 90, 150, 210
    expectText(v, "DetailedResults!AB14", "no data"); // December: e-mails, no response
    expectNumber(v, "DetailedResults!R26", 3.5);  // 23:00: 210 minutes
    expectText(v, "DetailedResults!R3", "no data"); // 00:00: one e-mail, no response
    expectNumber(v, "DetailedResults!B10", 10);
    expectNumber(v, "DetailedResults!C10", 1);
}

TEST_F(ExportedWorkbook, TopListsFillRowsFifteenToTwentyFourAndLeaveTheRestEmpty)
{
    const auto v = readBack(exportKnown(), blockQueries());
    struct Place {
        const char* name;
        double count, share;
    };
    const std::vector<Place> senders = {{"Alice", 4, 0.4}, {"Dave", 3, 0.3}, {"J\xC3\xBCrgen M\xC3\xBCller", 2, 0.2},
                                        {"=1+1", 1, 0.1}};
    const std::vector<Place> receivers = {{"Bob", 4, 0.4}, {"Carol", 3, 0.3}, {"Eve", 2, 0.2}};
    auto check = [&](const std::vector<Place>& places, std::array<const char*, 3> cols) {
        for (int p = 0; p < 10; ++p) {
            const int row = 15 + p;
            if (p < static_cast<int>(places.size())) {
                expectText(v, at(cols[0], row), places[p].name);
                expectNumber(v, at(cols[1], row), places[p].count);
                expectNumber(v, at(cols[2], row), places[p].share);
            } else {
                for (const char* col : cols)
                    EXPECT_TRUE(v.at(at(col, row)).isEmpty()) << at(col, row) << " holds " << v.at(at(col, row)).text;
            }
        }
    };
    check(senders, {"B", "C", "D"});
    check(receivers, {"F", "G", "H"});
    for (int row = 15; row <= 24; ++row)
        EXPECT_TRUE(v.at(at("E", row)).isEmpty()) << "column E stays untouched, row " << row;
}

const char* const kLabels[] = {
    "OutputUsernameLabel",          "OutputMailboxLabel",           "OutputAnalysisDateLabel",
    "OutputEmailCountLabel",        "OutputAnalysedEmailsCountLabel", "OutputValidEmailsCountLabel",
    "OutputPeriodFromLabel",        "OutputPeriodToLabel",          "OutputAvgEmailsPerDayLabel",
    "OutputMaxEmailsPerDayLabel",   "OutputOneToOneEmailsLabel",    "OutputReplyAndFwdEmailsLabel",
    "OutputAvgEmailLgtWordsLabel",  "OutputAvgEmailLgtCharsLabel",  "OutputMedianResponseHourLabel",
    "OutputMedianResponseMinuteLabel", "OutputAvgEmailSizeLabel",   "OutputAvgEmailSizeWithAttLabel",
    "OutputAvgEmailSizeWoAttLabel",
};

std::vector<std::string> labelQueries()
{
    std::vector<std::string> q = {"active:"};
    for (const char* label : kLabels) {
        q.push_back(std::string("label:") + label);
        q.push_back(std::string("ref:") + label);
    }
    return q;
}

TEST_F(ExportedWorkbook, NineteenSummaryLabelsHoldTheFiguresAndThePanelTexts)
{
    const auto v = readBack(exportKnown(), labelQueries());
    EXPECT_EQ(v.at("active:").text, "Summary") << "the results file opens on the Summary sheet";
    for (const char* label : kLabels)
        EXPECT_EQ(v.at(std::string("ref:") + label).text.rfind("Summary!", 0), 0u) << label;
    auto text = [&](const char* label) { return v.at(std::string("label:") + label); };
    struct Shown {
        const char* label;
        PanelBox box;
        const char* expected;
    };
    // The panel's texts as the headless window shows them, and what they
    // must be for the known items.
    const Shown shown[] = {
        {"OutputEmailCountLabel", PanelBox::ProgressNumMaxLabel, "10"},
        {"OutputAnalysedEmailsCountLabel", PanelBox::ProgressNumLabel, "10"},
        {"OutputAvgEmailsPerDayLabel", PanelBox::DailyEmailsAvgLabel, "0"}, // 10 over 280 days
        {"OutputMaxEmailsPerDayLabel", PanelBox::DailyEmailsMaxLabel, "3"}, // 14 June 2011
        {"OutputOneToOneEmailsLabel", PanelBox::OneToOneEmailPCLabel, "50"},
        {"OutputReplyAndFwdEmailsLabel", PanelBox::ReAndFwdPercentLabel, "70"}, // replies with a response time
        {"OutputAvgEmailLgtWordsLabel", PanelBox::EmailLgtWordsLabel, "3"}, // 34 words / 10
        {"OutputMedianResponseHourLabel", PanelBox::MedianResponseHrLabel, "1"},
        {"OutputMedianResponseMinuteLabel", PanelBox::MedianResponseMinLabel, "30"},
        {"OutputAvgEmailSizeLabel", PanelBox::EmailSizeKBLabel, "3"}, // 32 KB / 10
    };
    for (const Shown& s : shown) {
        EXPECT_EQ(text(s.label).type, "str") << s.label;
        EXPECT_EQ(text(s.label).text, box(s.box)) << s.label;
        EXPECT_EQ(text(s.label).text, s.expected) << s.label;
    }
    expectText(v, "label:OutputUsernameLabel", kUserName);
    expectText(v, "label:OutputMailboxLabel", "Sent Items");
    expectText(v, "label:OutputAnalysisDateLabel", kAnalysisDate);
    expectText(v, "label:OutputPeriodFromLabel", "14/03/11");
    expectText(v, "label:OutputPeriodToLabel", "18/12/11");
    expectNumber(v, "label:OutputValidEmailsCountLabel", 10);
    expectNumber(v, "label:OutputAvgEmailLgtCharsLabel", app.analysis.vAvgEmailChars);
    EXPECT_GT(app.analysis.vAvgEmailChars, 0);
    expectNumber(v, "label:OutputAvgEmailSizeWithAttLabel", 2); // 4 + 6 + 2 + 8 KB over 10
    expectNumber(v, "label:OutputAvgEmailSizeWoAttLabel", 1);   // 6 x 2 KB over 10
}

TEST_F(ExportedWorkbook, SavedUnderTheUsersNameAndOpenedForTheUser)
{
    const auto file = exportKnown();
    EXPECT_EQ(file, appDir / (std::string("Brisk Vezoriv Rizovave Output, ") + kUserName +
                              ", Sent Items05-12-26 140709.xlsm"));
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_EQ(desktop.files, std::vector<std::filesystem::path>{file});
    EXPECT_EQ(log.entries, std::vector<std::string>{"results"});
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(view.asked, 1);
    EXPECT_EQ(view.busyCalls, (std::vector<bool>{true, false}));
}

TEST_F(ExportedWorkbook, AnonymousChangesOnlyTheUserNameLabelAndTheFileName)
{
    analyse(knownFolder());
    const auto named = exportNow();
    view.options.anonymous = true;
    const auto anonymous = exportNow();
    ASSERT_TRUE(named && anonymous) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(anonymous->filename().string(), "Brisk Vezoriv Rizovave Output, Anonymous, Sent Items05-12-26 140709.xlsm");
    auto queries = labelQueries();
    const auto cells = blockQueries();
    queries.insert(queries.end(), cells.begin(), cells.end());
    const auto a = readBack(*named, queries), b = readBack(*anonymous, queries);
    for (const auto& q : queries) {
        if (q == "label:OutputUsernameLabel")
            continue;
        EXPECT_EQ(a.at(q).type, b.at(q).type) << q;
        EXPECT_EQ(a.at(q).text, b.at(q).text) << q;
    }
    expectText(a, "label:OutputUsernameLabel", kUserName);
    expectText(b, "label:OutputUsernameLabel", "Anonymous");
    expectText(b, "label:OutputMailboxLabel", "Sent Items");
    expectText(b, "DetailedResults!B15", "Alice");
    expectText(b, "DetailedResults!F15", "Bob");
}

} // namespace
} // namespace brisk::test
