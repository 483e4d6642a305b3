// brisk-cli run in process: the exit status and messages of every kind of
// run and store, each output form once, and names from a store defused on
// their way to the terminal. The figures themselves are pinned by the engine
// tests; here each form shows that they reach the user whole. Then brisk-cli
// against independent readings that share no code with the program: the
// Enron custodians of the shared corpora read by scripts/python-figures
// (Python's email package), and Outlook data files written out as Maildir by
// scripts/pst-to-maildir (libpff's own tools).

#include "shell/Inspect.h"
#include "shell/TerminalText.h"
#include "tests/cli/CliRun.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <sys/wait.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

void makeMaildirWith(const fs::path& dir, const std::vector<std::string>& raws)
{
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(dir / sub);
    for (std::size_t n = 0; n < raws.size(); ++n)
        writeFile(dir / "cur" / (std::to_string(n + 1) + ".eml"), raws[n]);
}

const std::string kGood = "From: Ann <ann@example.com>\nTo: bob@example.com\nSubject: fine\n"
                          "Date: Mon, 1 Mar 2010 10:00:00 +0000\n\nHello\n";

// Bad arguments exit with 2 and a one-line message, help and version in the
// GNU form with 0 wherever they stand; a store read in part exits with 1 and
// still prints its figures, with a line naming each file and its cause; the
// JSON and text forms of a run, and one item.
TEST(CliSampleStore, EveryRunsExitStatusMessagesAndFigures)
{
    ASSERT_TRUE(fs::exists(sampleStoreDir() / ".complete")) << "build the sample_store target";
    TempDir dir;
    // A header that never ends is an item no reader can take.
    const std::string endless = "Subject: endless\nX-Long: " + std::string(std::size_t{5} << 20, 'x') + "\n";
    makeMaildirWith(dir / "good" / "Sent", {kGood});
    makeMaildirWith(dir / "bad" / "Sent", {kGood, endless});
    makeMaildirWith(dir / "none" / "Sent", {endless});
    makeMaildirWith(dir / "escape" / "Sent\x1b[31m", {kGood});
    makeMaildirWith(dir / "empty" / "Sent Items", {});
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string s = sampleStoreDir().string(), d = dir.path().string();
    const std::string zeros = json(std::vector<std::vector<int>>(7, std::vector<int>(24, 0))).dump();
    const std::string usage = "Usage: brisk-cli [OPTION]... STORE\n  or:  brisk-cli --list-folders STORE\n";
    const CliCase cases[] = {
        {{"--json"}, 2, {}, "brisk-cli: no store given\n"},
        {{"--bogus", s}, 2, {}, "brisk-cli: unknown option --bogus\n"},
        {{s, s}, 2, {}, "brisk-cli: more than one store given: " + s + "\n"},
        {{"--folder", "No/Such/Folder", s}, 2, {}, "brisk-cli: no folder No/Such/Folder in " + s + "\n"},
        {{"--from", "01/01/20", s}, 2, {}, "brisk-cli: --from and --to go together\n"},
        {{s, "--to"}, 2, {}, "brisk-cli: --to needs a date\n"},
        {{s, "--export"}, 2, {}, "brisk-cli: --export needs a file name\n"},
        {{"--anonymous", s}, 2, {}, "brisk-cli: --anonymous goes with --export\n"},
        {{"--from", "31/02/20", "--to", "soon", s}, 2, {}, "Invalid date!\n"},
        {{"--dump", "1x", s}, 2, {}, "brisk-cli: --dump needs an item number from 1, not 1x\n"},
        {{"--dump", "0", s}, 2, {}, "brisk-cli: --dump needs an item number from 1, not 0\n"},
        {{"--dump", "99999", s}, 2, {}, "brisk-cli: item 99999 of Sent Items: no such item, the folder holds 1800\n"},
        {{"--parser", "/no/brisk-parse", s}, 2, {}, "brisk-cli: --parser: cannot run /no/brisk-parse: No such file or directory\n"},
        {{s, "--parser"}, 2, {}, "brisk-cli: --parser needs a program, or none\n"},
        {{"-h"}, 0, {usage}, ""},
        {{"--json", "--help", "store"}, 0, {usage}, ""},
        {{"store", "--version"}, 0, {"brisk-cli (BRISK Vezoriv Rireviru) " BRISK_VERSION "\n"}, ""},
        {{"--list-folders", s}, 0, {"sample-store (0)\n  Archive (100)\n  Inbox (500)\n    Lists (150)\n  Sent Items "
         "(1800)\n    Deleted Items (100)\n    Projects (300)\n    deleted items (50)\n"}, ""},
        // A folder and a period narrow the run; the Inbox holds delivery reports.
        {{"--json", "--folder", "Inbox", s}, 0, {"{\"lEmailsProcessed\":650,\"lEmailsAnalysed\":633,",
         "\"ProgressNumMaxLabel\":\"500\""}, ""},
        {{"--json", "--from", "01/01/20", "--to", "01/01/21", s}, 0,
         {"{\"lEmailsProcessed\":2150,\"lEmailsAnalysed\":1027,",
          "\"dFirstEmailDate\":\"2020-01-01 09:15:09\",\"dLastEmailDate\":\"2020-12-29 15:43:53\""}, ""},
        {{"--list-folders", d + "/escape"}, 0, {"escape (0)\n  Sent\\x1b[31m (1)\n"}, ""},
        {{"--dump", "1", d + "/good"}, 0, {"Type: MailItem\nReceivedTime: 2010-03-01 10:00:00\nSubject: fine\n"}, ""},
        {{s}, 0, {"Folder             Sent Items\nMessages analysed  2150 of 1800 (2133 email messages found)\n"
                  "Period             02/01/19 to 29/12/20\nEmails / day       Avg 3  Max 10\n",
                  "\n  MON   ... ....-*@#=*%@**:-:-::\n", "@: 53 e-mails in one hour of the week\nReply times        25% "
                  "21 min, 50% 1 h 48 min, 75% 10 h 20 min, 90% 26 h 10 min\nAnswered within    an hour 40 %, a day 89 %, "
                  "a week 100 %\nWorking hours      73 % (Mon-Fri 09:00-18:00)\n"}, ""},
        {{"--json", d + "/bad"}, 1, {"{\"lEmailsProcessed\":2,"}, "BRISK Vezoriv Rizovave: Error in ProcessMessage: "
         "lEmailsProcessed = 2: cannot read " + d + "/bad/Sent/cur/2.eml: its header is longer than 4 MiB\n"},
        // The walk reports the item twice: analysing it and showing its subject.
        {{"--json", d + "/none"}, 1, {"{\"lEmailsProcessed\":1,"},
         "brisk-cli: 2 errors while reading the store; the figures leave out what could not be read\n"},
        // An empty folder: null dates, zero counts and null insights.
        {{"--json", d + "/empty"}, 0, {"\"lEmailsProcessed\":0,", "\"dFirstEmailDate\":null,\"dLastEmailDate\":null,",
         "\"NumValidEmailsLabel\":\"(0 email messages found)\"},\"topSenders\":[],", "\"heatmap\":" + zeros + ",\"respo"
         "nsePercentiles\":null,\"answeredWithin\":null,\"workingHoursShare\":null,"}, ""},
        // Replies written with Thunderbird, Gmail, Apple Mail, mutt and Outlook, in five languages, some with
        // their originals in the Inbox, some without: nine timed (90, 60, 240, 30, 120, 60, 15, 180 and 40
        // minutes; see the corpus' README), the one whose original arrived after it not. Own words only:
        // every quote, whichever way it starts, is left out.
        {{"--json", "--folder", "Sent", (sourceDir() / "tests" / "corpora" / "threads").string()}, 0,
         {"\"lEmailsAnalysed\":11,", "\"responseSources\":{\"sentLine\":1,\"threading\":4,\"attribution\":4}",
          "\"lTotalWords\":36,", "\"MedianResponseHrLabel\":\"1\",\"MedianResponseMinLabel\":\"0\",",
          "\"vWeekdayCount\":[3,3,3,2,0,0,0],", "\"topSenders\":[{\"name\":\"Me\",\"count\":11,\"share\":1}],\"topReceivers\":"
          "[{\"name\":\"Me\",\"count\":10,\"share\":0.91},{\"name\":\"dev@lists.example.org\",\"count\":1,\"share\":0.09}],"
          "\"insights\":{\"heatmap\":[[0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,1,1,0,", "\"responsePercentiles\":{\"p25\":40,\"p50\":60,"
          "\"p75\":120,\"p90\":240},\"answeredWithin\":{\"hour\":0.5555555555555556,\"day\":1.0,\"week\":1.0},\"working"
          "HoursShare\":0.8181818181818182,\"workingDays\":\"Mon-Fri\",\"workingHours\":\"09:00-18:00\"},\"errors\":[]}"}, ""},
        {{"--json", d + "/missing"}, 2, {}, "brisk-cli: cannot read " + d + "/missing: No such file or directory\n"},
        {{"--json", d + "/fifo"}, 2, {}, "brisk-cli: cannot read " + d + "/fifo: not a regular file\n"},
    };
    for (const CliCase& c : cases)
        expectCliRun(c);
}

// A folder whose items cannot be counted stands beside a readable one; the
// root's subfolders are given.
struct TreeFolder : MemoryFolder {
    using MemoryFolder::MemoryFolder;
    long itemCount() override { return broken ? throw StoreError("cannot read /x/cur: Input/output error") : 2; }
    const std::vector<MailFolder*>& folders() override { return children; }
    std::vector<MailFolder*> children;
    bool broken = false;
};

struct TreeStore : MemoryStore {
    MailFolder& root() override { return tree; }
    TreeFolder tree {"Mailbox", nullptr};
};

TEST(CliHostile, TheTreeListsEveryFolderAroundABrokenOne)
{
    TreeStore store;
    TreeFolder broken("B\x1b[2J", &store.tree), a("A", &store.tree);
    broken.broken = true;
    store.tree.children = {&broken, &a};
    std::ostringstream out, err;
    EXPECT_EQ(printFolderTree(store, out, err), 1);
    EXPECT_EQ(out.str(), "Mailbox (2)\n  B\\x1b[2J (?)\n  A (2)\n");
    EXPECT_EQ(err.str(), "brisk-cli: cannot read folder B\\x1b[2J: cannot read /x/cur: Input/output error\n");
}

TEST(CliHostile, OutputThatCannotBeWrittenExitsWith1)
{
    TempDir dir;
    makeMaildirWith(dir / "store" / "Sent", {kGood});
    for (const char* args : {"--list-folders", "--json", "--dump 1"}) {
        const int status = std::system((buildDir().string() + "/app/brisk-cli " + args + " "
                                        + shellQuote((dir / "store").string()) + " >/dev/full 2>"
                                        + shellQuote((dir / "err").string())).c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args << ": " << status;
        EXPECT_EQ(readFile(dir / "err"), "brisk-cli: cannot write the output: No space left on device\n") << args;
    }
}

TEST(CliHostile, StoreTextReachesTheTerminalDefused)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain caf\xc3\xa9 \xe2\x82\xac", "plain caf\xc3\xa9 \xe2\x82\xac"},
        {"title\x1b]0;owned\x07", "title\\x1b]0;owned\\x07"},
        {"csi \xc2\x9b" "2J and del \x7f", "csi \\xc2\\x9b2J and del \\x7f"},
        {"lines\r\nkept\tand\rbare cr", "lines\r\nkept\tand\\x0dbare cr"},
        {"stray \xff\xc3 bytes \xed\xa0\x80", "stray \\xff\\xc3 bytes \\xed\\xa0\\x80"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(terminalSafe(in), out) << in;
}

// A run that exits with 0 and, when `clean`, shows no error.
json jsonRun(const std::vector<std::string>& args, bool clean = true)
{
    const CliRun run = runCliCaptured(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(!clean || run.json()["errors"].empty()) << run.out;
    return run.json();
}

// Every figure both readings compute the same way (every body of these
// folders is text/plain: the script's HTML reduction is not the program's).
// In the other folders than the sent items, one message of presto-k's
// deleted_items is addressed To: <"undisclosed-recipient".@enron@enron.com>:
// Python's getaddresses() yields no address, the program's loose reading
// (which keeps Enron's "l..eisenstein@enron.com") counts one recipient,
// making it one-to-one: a tolerance of one on lOneToOneEmails there.
TEST(CliIndependent, EveryEnronFolderEqualsPythonsReading)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const std::string script = readFile(sourceDir() / "scripts" / "python-figures");
    for (const char* user : {"allen-p", "buy-r", "grigsby-m", "presto-k"}) {
        for (const auto& entry : fs::directory_iterator(corpora / "enron" / user)) {
            if (!entry.is_directory())
                continue;
            const std::string folder = entry.path().filename().string(), store = entry.path().parent_path();
            SCOPED_TRACE(user + ("/" + folder));
            const bool sent = folder == "sent_items";
            const json program = jsonRun({"--json", "--folder", folder, store}, sent);
            const json python = json::parse(runPython(script, {"--folder", folder, store}));
            for (const char* key : {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lTotalSizeKB",
                                    "lTotalSizeWithAttKB", "lTotalSizeWoAttKB", "lTotalWords", "lTotalChars",
                                    "dFirstEmailDate", "dLastEmailDate", "vHourCount", "vWeekdayCount", "vMonthCount"})
                EXPECT_EQ(program[key], python[key]) << key;
            EXPECT_NEAR(program["lOneToOneEmails"].get<double>(), python["lOneToOneEmails"].get<double>(),
                        sent ? 0 : 1);
        }
    }
}

// Every figure but the sizes: a PST reports the stored message size
// (PidTagMessageSize), the Maildir the bytes of the file the script wrote.
// The folders are those whose recipients pffexport prints whole (it cuts
// long X.500 addresses) and whose items all carry a delivery or submit time.
TEST(CliIndependent, PstFiguresEqualThoseOfTheSameMessagesAsMaildir)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const fs::path pst = corpora / "pst";
    if (!fs::is_directory(pst))
        GTEST_SKIP() << "../shared/corpora/pst is absent";
    const std::string script = readFile(sourceDir() / "scripts" / "pst-to-maildir");
    // The file, the folder and the messages it holds.
    const std::tuple<const char*, const char*, long> cases[] = {
        {"tika/testPST.pst", "", 7},
        {"aspose-net/Outlook.pst", "Sent Items", 6},
        {"aspose-net/Outlook.pst", "Inbox", 8},
        {"aspose-net/Chunks_Test_part1.pst", "Sent Items", 31},
        {"hughbe-PstReader/backup.pst", "Inbox", 1}};
    for (const auto& [name, folder, analysed] : cases) {
        SCOPED_TRACE(std::string(name) + " " + folder);
        TempDir dir;
        const std::string file = (pst / name).string();
        runPython(script, {file, folder, (dir / "box").string()});
        const json a = jsonRun({"--json", "--folder", folder, file}), b = jsonRun({"--json", (dir / "box").string()});
        EXPECT_EQ(a["lEmailsAnalysed"], analysed);
        for (const char* key : {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lOneToOneEmails",
                                "lTotalChars", "lTotalWords", "dFirstEmailDate", "dLastEmailDate", "vHourCount",
                                "vWeekdayCount", "vMonthCount", "topSenders", "topReceivers"})
            EXPECT_EQ(a[key], b[key]) << key;
        for (const char* key : {"ProgressNumLabel", "DailyEmailsAvgLabel", "DailyEmailsMaxLabel", "EmailLgtWordsLabel",
                                "ReAndFwdPercentLabel", "OneToOneEmailPCLabel", "MedianResponseHrLabel",
                                "MedianResponseMinLabel", "NumValidEmailsLabel"})
            EXPECT_EQ(a["panel"][key], b["panel"][key]) << key;
    }
}

// A folder whose item table cannot be read is listed with "?", and the
// listing ends with the status of a store read in part. (Files libpff
// refuses are the PST store tests' own.)
TEST(CliIndependent, ADamagedPstFolderIsListedWithAQuestionMark)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const fs::path bad = corpora / "pst" / "aspose-net" / "bad" / "Chunks-Split_Outlook_part1.pst";
    if (!fs::is_regular_file(bad))
        GTEST_SKIP() << "../shared/corpora/pst is absent";
    expectCliRun({{"--list-folders", bad.string()}, 1, {"\n    SubInbox (?)\n"}, "brisk-cli: cannot read folder "});
}

} // namespace
} // namespace brisk::test
