// brisk-cli run in process: exit statuses and messages for bad arguments,
// the folder tree, one item's values, and the figures of whole runs over the
// bundled sample store, read from one captured --json run each.

#include "tests/cli/CliRun.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using brisk::test::CliRun;
using brisk::test::runCliCaptured;

std::string store() { return brisk::test::sampleStoreDir().string(); }

long sum(const json& counts)
{
    long total = 0;
    for (const json& count : counts)
        total += count.get<long>();
    return total;
}

class CliSampleStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(brisk::test::sampleStoreDir() / ".complete")) << "build the sample_store target";
    }
    static json jsonRun(std::vector<std::string> args)
    {
        args.insert(args.begin(), "--json");
        args.push_back(store());
        const CliRun run = runCliCaptured(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.json();
    }
};

TEST(CliArguments, BadArgumentsExitWith2AndAOneLineMessage)
{
    const std::string s = store();
    const struct {
        std::vector<std::string> args;
        std::string message; // the whole first line of standard error, or its start when it ends in ": "
    } cases[] = {
        {{"--json"}, "brisk-cli: no store given"},
        {{"--bogus", s}, "brisk-cli: unknown option --bogus"},
        {{s, s}, "brisk-cli: more than one store given: " + s},
        {{"/nonexistent/brisk-store"}, "brisk-cli: cannot read /nonexistent/brisk-store: "},
        {{"--folder", "No/Such/Folder", s}, "brisk-cli: no folder No/Such/Folder in " + s},
        {{"--from", "01/01/20", s}, "brisk-cli: --from and --to go together"},
        {{s, "--to"}, "brisk-cli: --to needs a date"},
        {{s, "--export"}, "brisk-cli: --export needs a file name"},
        {{"--anonymous", s}, "brisk-cli: --anonymous goes with --export"},
        {{"--from", "31/02/20", "--to", "soon", s}, "Invalid date!"},
        {{"--dump", "1x", s}, "brisk-cli: --dump needs an item number from 1, not 1x"},
        {{"--dump", "0", s}, "brisk-cli: --dump needs an item number from 1, not 0"},
        {{"--dump", "99999", s}, "brisk-cli: item 99999 of Sent Items: no such item, the folder holds 1800"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCliCaptured(c.args);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_TRUE(run.out.empty()) << c.message << ": " << run.out;
        const std::string first = run.err.substr(0, run.err.find('\n'));
        if (c.message.ends_with(": "))
            EXPECT_EQ(first.rfind(c.message, 0), 0u) << run.err;
        else
            EXPECT_EQ(first, c.message) << run.err;
    }
}

TEST(CliArguments, HelpAndVersionInTheGnuFormExit0WhereverTheyStand)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-h"}, {"--json", "--help", "store"}}) {
        const CliRun run = runCliCaptured(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("Usage: brisk-cli [OPTION]... STORE\n  or:  brisk-cli --list-folders STORE\n", 0), 0u);
        EXPECT_TRUE(run.err.empty());
    }
    const CliRun version = runCliCaptured({"store", "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "brisk-cli (BRISK Vezoriv Rireviru) " BRISK_VERSION "\n");
}

TEST_F(CliSampleStore, ListFoldersAndDumpShowTheTreeAndOneItem)
{
    const CliRun list = runCliCaptured({"--list-folders", store()});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "sample-store (0)\n  Archive (100)\n  Inbox (500)\n    Lists (150)\n  Sent Items (1800)\n"
                        "    Deleted Items (100)\n    Projects (300)\n    deleted items (50)\n");

    // Item 1 of Sent Items is the file of cur/ + new/ whose name sorts first.
    std::vector<fs::path> files;
    for (const char* sub : {"cur", "new"})
        for (const auto& entry : fs::directory_iterator(fs::path(store()) / "Sent Items" / sub))
            files.push_back(entry.path());
    const fs::path first = *std::min_element(files.begin(), files.end(),
                                             [](auto& a, auto& b) { return a.filename() < b.filename(); });
    const std::string bytes = brisk::test::readFile(first);
    const auto subjectAt = bytes.find("\r\nSubject: ") + 11;
    const CliRun dump = runCliCaptured({"--dump", "1", store()});
    ASSERT_EQ(dump.status, 0) << dump.err;
    for (const std::string& line :
         {std::string("Type: MailItem\n"), std::string("SenderName: Alex Morgan\n"),
          "Subject: " + bytes.substr(subjectAt, bytes.find("\r\n", subjectAt) - subjectAt) + "\n",
          "Size: " + std::to_string(fs::file_size(first)) + "\n", std::string("\nBody:\n")})
        EXPECT_NE(dump.out.find(line), std::string::npos) << line << " missing in\n" << dump.out;
    // One line per recipient follows the count.
    const auto countAt = dump.out.find("Recipients: ") + 12;
    const auto namesAt = dump.out.find('\n', countAt) + 1;
    const std::string names = dump.out.substr(namesAt, dump.out.find("Size: ") - namesAt);
    EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), std::stol(dump.out.substr(countAt))) << names;
}

// The default folder's run: every figure consistent with the others, the
// panel's texts, the top lists and the weekday by hour map.
TEST_F(CliSampleStore, OneRunsFiguresAgreeWithEachOther)
{
    const json j = jsonRun({});
    // Sent Items 1800 + Projects 300 + "deleted items" 50; "Deleted Items" is skipped.
    EXPECT_EQ(j["lEmailsProcessed"], 2150);
    const long analysed = j["lEmailsAnalysed"];
    EXPECT_GT(analysed, 2000);
    EXPECT_LT(analysed, 2150) << "the store holds meeting requests in Sent Items";
    EXPECT_EQ(j["vHourCount"].size(), 24u);
    for (const char* key : {"vHourCount", "vWeekdayCount", "vMonthCount"})
        EXPECT_EQ(sum(j[key]), analysed) << key;
    EXPECT_EQ(j["lTotalSizeWithAttKB"].get<long>() + j["lTotalSizeWoAttKB"].get<long>(), j["lTotalSizeKB"]);
    EXPECT_GT(j["lResponseCount"], 0);
    EXPECT_LE(j["lResponseCount"], analysed);
    EXPECT_LE(j["lTotalWords"], j["lTotalChars"]);
    EXPECT_LT(j["dFirstEmailDate"], j["dLastEmailDate"]);
    EXPECT_TRUE(j["errors"].empty());

    const json& panel = j["panel"];
    EXPECT_EQ(panel["ProgressNumLabel"], "2150");
    EXPECT_EQ(panel["ProgressNumMaxLabel"], "1800");
    EXPECT_EQ(panel["NumValidEmailsLabel"], "(" + std::to_string(analysed) + " email messages found)");
    EXPECT_EQ(panel["OneToOneEmailPCLabel"],
              std::to_string(std::lround(std::nearbyint(j["lOneToOneEmails"].get<double>() * 100 / analysed))));
    for (const char* list : {"topSenders", "topReceivers"}) {
        ASSERT_FALSE(j[list].empty()) << list;
        long previous = analysed;
        for (const json& entry : j[list]) {
            EXPECT_LE(entry["count"], previous) << list << " in rank order";
            EXPECT_GE(entry["count"], 2) << list << ": a name seen once is not listed";
            EXPECT_NEAR(entry["share"].get<double>(), entry["count"].get<double>() / analysed, 0.005) << list;
            previous = entry["count"];
        }
    }
    EXPECT_EQ(j["topSenders"][0]["name"], "Alex Morgan");

    // The map adds up to the weekday and hour counts; the working-time share
    // follows from it; the reply figures are ordered.
    const json& in = j["insights"];
    ASSERT_EQ(in["heatmap"].size(), 7u);
    long working = 0;
    std::vector<long> hours(24, 0);
    for (std::size_t w = 0; w < 7; ++w) {
        EXPECT_EQ(sum(in["heatmap"][w]), j["vWeekdayCount"][w]) << "weekday " << w;
        for (std::size_t h = 0; h < 24; ++h) {
            hours[h] += in["heatmap"][w][h].get<long>();
            working += w < 5 && h >= 9 && h < 18 ? in["heatmap"][w][h].get<long>() : 0;
        }
    }
    EXPECT_EQ(json(hours), j["vHourCount"]);
    EXPECT_DOUBLE_EQ(in["workingHoursShare"].get<double>(), static_cast<double>(working) / analysed);
    const json& p = in["responsePercentiles"];
    EXPECT_LE(p["p25"], p["p50"]);
    EXPECT_LE(p["p50"], p["p75"]);
    EXPECT_LE(p["p75"], p["p90"]);
    EXPECT_LT(p["p25"], p["p90"]) << "the sample's replies take varied times";
    const json& a = in["answeredWithin"];
    EXPECT_GT(a["hour"], 0);
    EXPECT_LE(a["hour"], a["day"]);
    EXPECT_LE(a["day"], a["week"]);
    EXPECT_LE(a["week"], 1);
}

TEST_F(CliSampleStore, FolderAndPeriodNarrowTheRun)
{
    const json inbox = jsonRun({"--folder", "Inbox"});
    EXPECT_EQ(inbox["lEmailsProcessed"], 650);
    EXPECT_EQ(inbox["panel"]["ProgressNumMaxLabel"], "500");
    EXPECT_LT(inbox["lEmailsAnalysed"], 650) << "Inbox holds delivery reports";
    const json year2020 = jsonRun({"--from", "01/01/20", "--to", "01/01/21"});
    EXPECT_EQ(year2020["lEmailsProcessed"], 2150);
    EXPECT_GT(year2020["lEmailsAnalysed"], 0);
    EXPECT_LT(year2020["lEmailsAnalysed"], 2100);
    EXPECT_GE(year2020["dFirstEmailDate"], "2020-01-01 00:00:00");
    EXPECT_LE(year2020["dLastEmailDate"], "2021-01-01 00:00:00");
}

TEST_F(CliSampleStore, TextOutputDrawsTheMapAsAGrid)
{
    const CliRun run = runCliCaptured({store()});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& text = run.out;
    const auto grid = text.find("\nWeekday by hour\n        0     6     12    18\n  MON   ");
    ASSERT_NE(grid, std::string::npos) << text;
    for (const char* day : {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"}) {
        const auto at = text.find(std::string("\n  ") + day + "   ", grid);
        ASSERT_NE(at, std::string::npos) << day;
        EXPECT_EQ(text.find('\n', at + 1) - at - 9, 24u) << day << ": one shade per hour";
    }
    EXPECT_NE(text.find('@', grid), std::string::npos) << "the busiest hour is drawn darkest";
    EXPECT_NE(text.find("\nAnswered within    an hour "), std::string::npos);
    EXPECT_NE(text.find(" (Mon-Fri 09:00-18:00)\n"), std::string::npos);
}

TEST(CliEmptyFolder, AnEmptyFolderGivesNullDatesZeroCountsAndNullInsights)
{
    brisk::test::TempDir dir;
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(dir / "Sent Items" / sub);
    const CliRun run = runCliCaptured({"--json", dir.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const json j = run.json();
    EXPECT_TRUE(j["dFirstEmailDate"].is_null());
    EXPECT_TRUE(j["dLastEmailDate"].is_null());
    EXPECT_EQ(j["lEmailsProcessed"], 0);
    EXPECT_EQ(j["panel"]["NumValidEmailsLabel"], "(0 email messages found)");
    EXPECT_TRUE(j["topSenders"].empty());
    EXPECT_EQ(j["insights"]["heatmap"], json(std::vector<std::vector<int>>(7, std::vector<int>(24, 0))));
    for (const char* key : {"responsePercentiles", "answeredWithin", "workingHoursShare"})
        EXPECT_TRUE(j["insights"][key].is_null()) << key;
}

// Replies written with Thunderbird, Gmail, Apple Mail, mutt and Outlook, in
// five languages, some with their originals in the Inbox, some without.
TEST(CliThreads, RepliesOfEveryClientGetTheirResponseTimes)
{
    const auto threads = brisk::test::sourceDir() / "tests" / "corpora" / "threads";
    const CliRun run = runCliCaptured({"--json", "--folder", "Sent", threads.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const json j = run.json();
    EXPECT_EQ(j["lEmailsAnalysed"], 11);
    // Ten replies: nine timed (90, 60, 240, 30, 120, 60, 15, 180 and 40
    // minutes; see the corpus' README); the one whose original arrived after
    // it is not.
    EXPECT_EQ(j["responseSources"], json({{"sentLine", 1}, {"threading", 4}, {"attribution", 4}}));
    EXPECT_EQ(j["panel"]["MedianResponseHrLabel"], "1");
    EXPECT_EQ(j["panel"]["MedianResponseMinLabel"], "0");
    // Own words only: every quote, whichever way it starts, is left out.
    EXPECT_EQ(j["lTotalWords"], 36);
    EXPECT_TRUE(j["errors"].empty());
}

} // namespace
