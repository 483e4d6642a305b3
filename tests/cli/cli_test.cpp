// brisk-cli run in process: exit statuses and messages for bad arguments,
// the folder tree, one item's values, and the JSON figures of whole runs over
// the bundled sample store.

#include "shell/Cli.h"
#include "tests/cli/cli_Json.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using brisk::test::Json;
using brisk::test::JsonReader;

namespace {

using brisk::test::CliRun;

CliRun runCli(const std::vector<std::string>& args)
{
    return brisk::test::runCliCaptured(args);
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

long sum(const std::vector<long>& values)
{
    return std::accumulate(values.begin(), values.end(), 0L);
}

std::string store() { return brisk::test::sampleStoreDir().string(); }

class CliSampleStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(brisk::test::sampleStoreDir() / ".complete"))
            << "the sample store is missing; build the sample_store target";
    }

    static Json jsonRun(std::vector<std::string> args)
    {
        args.insert(args.begin(), "--json");
        args.push_back(store());
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return JsonReader::parse(run.out);
    }
};

// ---- Arguments ---------------------------------------------------------------

struct BadArguments {
    const char* what;
    std::vector<std::string> args;
    std::string message;  // the first line of standard error starts with it
};

TEST(CliArguments, BadArgumentsExitWith2AndAOneLineMessage)
{
    const std::string s = store();
    const BadArguments cases[] = {
        {"no store", {"--json"}, "brisk-cli: no store given"},
        {"unknown option", {"--bogus", s}, "brisk-cli: unknown option --bogus"},
        {"two stores", {s, s}, "brisk-cli: more than one store given"},
        {"unreadable store", {"/nonexistent/brisk-store"}, "brisk-cli: "},
        {"missing folder", {"--folder", "No/Such/Folder", s}, "brisk-cli: no folder No/Such/Folder in "},
        {"--from without --to", {"--from", "01/01/20", s}, "brisk-cli: --from and --to go together"},
        {"--to without a date", {s, "--to"}, "brisk-cli: --to needs a date"},
        {"invalid date", {"--from", "31/02/20", "--to", "01/03/20", s}, "Invalid date!"},
        {"not a date at all", {"--from", "soon", "--to", "later", s}, "Invalid date!"},
        {"dump of no number", {"--dump", "x", s}, "brisk-cli: --dump needs an item number from 1, not x"},
        {"dump of item 0", {"--dump", "0", s}, "brisk-cli: --dump needs an item number from 1"},
        {"dump past the end", {"--dump", "99999", s}, "brisk-cli: item 99999 of Sent Items: "},
    };
    for (const BadArguments& c : cases) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 2) << c.what;
        EXPECT_TRUE(run.out.empty()) << c.what << ": " << run.out;
        EXPECT_EQ(firstLine(run.err).rfind(c.message, 0), 0u) << c.what << ": " << run.err;
    }
}

TEST(CliArguments, UnreadableStoreNamesThePath)
{
    const CliRun run = runCli({"/nonexistent/brisk-store"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(firstLine(run.err).find("/nonexistent/brisk-store"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
}

TEST(CliArguments, InvalidDateIsTheWholeMessage)
{
    const CliRun run = runCli({"--from", "01/01/20", "--to", "32/01/20", store()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Invalid date!\n");
}

TEST(CliArguments, HelpAndVersionInTheGnuFormExit0WhereverTheyStand)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"--json", "--help", "store"}}) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 0) << args[0];
        EXPECT_EQ(run.out.rfind("Usage: brisk-cli [OPTION]... STORE\n  or:  brisk-cli --list-folders STORE\n", 0), 0u)
            << run.out;
        for (const char* option : {"--dump N", "--usage-report", "  -h, --help", "      --version"})
            EXPECT_NE(run.out.find(option), std::string::npos) << option;
        EXPECT_TRUE(run.err.empty());
    }
    const CliRun version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brisk-cli (BRISK Vezoriv Rireviru) " BRISK_VERSION "\n");
}

// ---- Folder tree and one item ------------------------------------------------

TEST_F(CliSampleStore, ListFoldersShowsTheTreeWithOwnItemCounts)
{
    const CliRun run = runCli({"--list-folders", store()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "sample-store (0)\n"
                       "  Archive (100)\n"
                       "  Inbox (500)\n"
                       "    Lists (150)\n"
                       "  Sent Items (1800)\n"
                       "    Deleted Items (100)\n"
                       "    Projects (300)\n"
                       "    deleted items (50)\n");
}

TEST_F(CliSampleStore, DumpPrintsEveryValueOfTheFirstItemInFileNameOrder)
{
    // Item 1 of Sent Items is the file of cur/ + new/ whose name sorts first.
    std::vector<fs::path> files;
    for (const char* sub : {"cur", "new"})
        for (const auto& entry : fs::directory_iterator(fs::path(store()) / "Sent Items" / sub))
            files.push_back(entry.path());
    const fs::path first = *std::min_element(files.begin(), files.end(),
                                             [](auto& a, auto& b) { return a.filename() < b.filename(); });
    const std::string bytes = brisk::test::readFile(first);
    const auto subjectAt = bytes.find("\r\nSubject: ") + 11;
    const std::string subject = bytes.substr(subjectAt, bytes.find("\r\n", subjectAt) - subjectAt);

    const CliRun run = runCli({"--dump", "1", store()});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* label : {"Type: MailItem\n", "ReceivedTime: 20", "SenderName: Alex Morgan\n", "Recipients: ",
                              "Attachments: ", "Body:\n"})
        EXPECT_NE(run.out.find(label), std::string::npos) << label << " missing in\n" << run.out;
    EXPECT_NE(run.out.find("Subject: " + subject + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Size: " + std::to_string(fs::file_size(first)) + "\n"), std::string::npos) << run.out;
    // One line per recipient follows the count.
    const auto countAt = run.out.find("Recipients: ") + 12;
    const long count = std::stol(run.out.substr(countAt));
    const auto sizeAt = run.out.find("\nSize: ");
    const std::string names = run.out.substr(run.out.find('\n', countAt) + 1, sizeAt - run.out.find('\n', countAt));
    EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), count) << names;
}

// ---- Whole runs ----------------------------------------------------------------

TEST_F(CliSampleStore, JsonOfTheDefaultFolderHasEveryKeyAndConsistentCounts)
{
    const Json j = jsonRun({});
    for (const char* key : {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lOneToOneEmails", "lTotalChars",
                            "lTotalWords", "lTotalSizeKB", "lTotalSizeWithAttKB", "lTotalSizeWoAttKB",
                            "dFirstEmailDate", "dLastEmailDate", "vHourCount", "vWeekdayCount", "vMonthCount",
                            "panel", "topSenders", "topReceivers", "errors"})
        EXPECT_TRUE(j.has(key)) << key;
    // Sent Items 1800 + Projects 300 + "deleted items" 50; "Deleted Items" is skipped.
    EXPECT_EQ(j["lEmailsProcessed"].integer(), 2150);
    const long analysed = j["lEmailsAnalysed"].integer();
    EXPECT_GT(analysed, 2000);
    EXPECT_LT(analysed, 2150) << "the store holds meeting requests in Sent Items";
    EXPECT_EQ(j["vHourCount"].array().size(), 24u);
    EXPECT_EQ(j["vWeekdayCount"].array().size(), 7u);
    EXPECT_EQ(j["vMonthCount"].array().size(), 12u);
    EXPECT_EQ(sum(j["vHourCount"].integers()), analysed);
    EXPECT_EQ(sum(j["vWeekdayCount"].integers()), analysed);
    EXPECT_EQ(sum(j["vMonthCount"].integers()), analysed);
    EXPECT_EQ(j["lTotalSizeWithAttKB"].integer() + j["lTotalSizeWoAttKB"].integer(), j["lTotalSizeKB"].integer());
    EXPECT_GT(j["lResponseCount"].integer(), 0);
    EXPECT_LE(j["lResponseCount"].integer(), analysed);
    EXPECT_GT(j["lOneToOneEmails"].integer(), 0);
    EXPECT_LE(j["lOneToOneEmails"].integer(), analysed);
    EXPECT_LE(j["lTotalWords"].integer(), j["lTotalChars"].integer());
    EXPECT_LT(j["dFirstEmailDate"].text(), j["dLastEmailDate"].text());
    EXPECT_TRUE(j["errors"].array().empty());

    const Json& panel = j["panel"];
    EXPECT_EQ(panel["ProgressNumLabel"].text(), "2150");
    EXPECT_EQ(panel["ProgressNumMaxLabel"].text(), "1800");
    EXPECT_EQ(panel["NumValidEmailsLabel"].text(), "(" + std::to_string(analysed) + " email messages found)");
    EXPECT_EQ(panel["OneToOneEmailPCLabel"].text(),
              std::to_string(std::lround(std::nearbyint(j["lOneToOneEmails"].number() * 100 / analysed))));
    for (const char* list : {"topSenders", "topReceivers"}) {
        ASSERT_FALSE(j[list].array().empty()) << list;
        long previous = analysed;
        for (const Json& entry : j[list].array()) {
            const long count = entry["count"].integer();
            EXPECT_LE(count, previous) << list << " in rank order";
            EXPECT_GE(count, 2) << list << ": a name seen once is not listed";
            EXPECT_NEAR(entry["share"].number(), static_cast<double>(count) / analysed, 0.005) << list;
            previous = count;
        }
    }
    EXPECT_EQ(j["topSenders"].array()[0]["name"].text(), "Alex Morgan");
}

TEST_F(CliSampleStore, FolderOptionAnalysesThatFolderAndItsSubfolders)
{
    const Json lists = jsonRun({"--folder", "Inbox/Lists"});
    EXPECT_EQ(lists["lEmailsProcessed"].integer(), 150);
    EXPECT_EQ(lists["panel"]["ProgressNumMaxLabel"].text(), "150");
    const Json inbox = jsonRun({"--folder", "Inbox"});
    EXPECT_EQ(inbox["lEmailsProcessed"].integer(), 650);
    EXPECT_EQ(inbox["panel"]["ProgressNumMaxLabel"].text(), "500");
    EXPECT_LT(inbox["lEmailsAnalysed"].integer(), 650) << "Inbox holds delivery reports";
    const Json projects = jsonRun({"--folder", "Sent Items/Projects"});
    EXPECT_EQ(projects["lEmailsProcessed"].integer(), 300);
}

TEST_F(CliSampleStore, DateFilterNarrowsTheCountsToItsDays)
{
    const Json all = jsonRun({});
    const Json year2020 = jsonRun({"--from", "01/01/20", "--to", "01/01/21"});
    EXPECT_EQ(year2020["lEmailsProcessed"].integer(), all["lEmailsProcessed"].integer());
    const long narrowed = year2020["lEmailsAnalysed"].integer();
    EXPECT_GT(narrowed, 0);
    EXPECT_LT(narrowed, all["lEmailsAnalysed"].integer());
    EXPECT_GE(year2020["dFirstEmailDate"].text(), "2020-01-01 00:00:00");
    EXPECT_EQ(sum(year2020["vMonthCount"].integers()), narrowed);
    for (const char* key : {"vHourCount", "vWeekdayCount", "vMonthCount"}) {
        const auto a = all[key].integers(), b = year2020[key].integers();
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_LE(b[i], a[i]) << key << "[" << i << "]";
    }
    // The complement: 2019 up to the first instant of 2020.
    const Json year2019 = jsonRun({"--from", "01/01/19", "--to", "31/12/19"});
    EXPECT_LE(year2019["dLastEmailDate"].text(), "2019-12-31 00:00:00");
    EXPECT_LE(year2019["lEmailsAnalysed"].integer() + narrowed, all["lEmailsAnalysed"].integer());
}

TEST(CliEmptyFolder, JsonOfAnEmptyFolderHasNullDatesAndZeroCounts)
{
    brisk::test::TempDir dir;
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(dir / "Sent Items" / sub);
    const CliRun run = runCli({"--json", dir.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json j = JsonReader::parse(run.out);
    EXPECT_TRUE(j["dFirstEmailDate"].isNull());
    EXPECT_TRUE(j["dLastEmailDate"].isNull());
    EXPECT_EQ(j["lEmailsProcessed"].integer(), 0);
    EXPECT_EQ(sum(j["vHourCount"].integers()), 0);
    EXPECT_EQ(j["panel"]["NumValidEmailsLabel"].text(), "(0 email messages found)");
    EXPECT_TRUE(j["topSenders"].array().empty());
}

} // namespace
