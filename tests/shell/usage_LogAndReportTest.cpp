// The usage logs of the shared output folder and the administrator's report
// built from them, over one temporary shared folder; and the file procedures
// under them and the export: folder tests, appending lines in the
// single-byte code page without following links, the documents folder and
// where an installed program finds its data.

#include "dates/DateValue.h"
#include "export/ExportWorkflow.h"
#include "platform/system/FileProcedures.h"
#include "shell/InstalledSettings.h"
#include "shell/SharedUsageLog.h"
#include "shell/UsageReport.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Texts = std::vector<std::string>;

constexpr const char* kUser = "Jane Doe";
constexpr const char* kAdmin = "BRISK Administrator";
constexpr const char* kHeader = "Owner,Duration(min),Time,Action,Time,Action,...\r\n";

std::string ownAccount()
{
    const passwd* pw = ::getpwuid(::geteuid());
    return pw ? pw->pw_name : std::to_string(::geteuid());
}

// A shared output folder, an application folder holding the empty log
// template and an empty report folder; the clock at 5 December 2026 09:08:12.
struct UsageFixture : ::testing::Test {
    UsageFixture()
    {
        fs::create_directory(shared);
        fs::create_directory(reports);
        writeFile(app / "log.txt", "");
        settings.SharedOutputFolder = shared.string() + "/";
        settings.AdminUserName = kAdmin;
        settings.applicationFolder = app;
    }
    SharedUsageLog& launch(const std::string& user = kUser)
    {
        logs.push_back(std::make_unique<SharedUsageLog>(settings, user, prompts, clock));
        logs.back()->create();
        return *logs.back();
    }
    long sharedFiles() const { return std::distance(fs::directory_iterator(shared), {}); }
    std::optional<fs::path> build() { return buildUsageReport(settings.SharedOutputFolder, reports, clock, prompts); }
    fs::path report(const std::string& suffix = "") const
    {
        return reports / ("BMAusageAsOn05-12-26 09-08-12" + suffix + ".csv");
    }

    TempDir dir;
    fs::path shared = dir / "shared", app = dir / "app", reports = dir / "reports";
    Settings settings;
    RecordingPrompts prompts;
    RecordingDesktop desktop;
    FakeClock clock{makeDate(2026, 12, 5, 9, 8, 12)};
    std::vector<std::unique_ptr<SharedUsageLog>> logs;
    std::string owner = ownAccount();
};

// The log begins as a copy of the template, which stays as it was.
TEST_F(UsageFixture, OneUseGivesSevenLinesInOrderInOneFileNamedByTheLaunch)
{
    writeFile(app / "log.txt", "template line\r\n");
    SharedUsageLog& log = launch();
    EXPECT_EQ(log.vLogFilePath(), settings.SharedOutputFolder + "05-12-26 09-08-12 log.txt");
    for (const char* action : {"folder", "Start", "Pause", "Resume", "results", "end"}) {
        clock.advanceSeconds(61);
        log.logEntry(action);
    }
    EXPECT_EQ(readFile(app / "log.txt"), "template line\r\n");
    EXPECT_EQ(readFile(log.vLogFilePath()),
              "template line\r\n05-12-26 09:08:12,launch\r\n05-12-26 09:09:13,folder\r\n"
              "05-12-26 09:10:14,Start\r\n05-12-26 09:11:15,Pause\r\n"
              "05-12-26 09:12:16,Resume\r\n05-12-26 09:13:17,results\r\n"
              "05-12-26 09:14:18,end\r\n");
    EXPECT_EQ(sharedFiles(), 1);
    EXPECT_TRUE(prompts.shown.empty());
}

// Without a template the log begins empty.
TEST_F(UsageFixture, LaunchesInTheSameSecondKeepTheirOwnLogsAndTheAdministratorLeavesNone)
{
    fs::remove(app / "log.txt");
    SharedUsageLog& admin = launch(kAdmin);
    SharedUsageLog& first = launch();
    SharedUsageLog& second = launch("brisk administrator"); // names compare exactly
    SharedUsageLog& third = launch();
    admin.logEntry("end");
    first.logEntry("end");
    EXPECT_EQ(admin.vLogFilePath(), "");
    EXPECT_FALSE(admin.loggingAllowed());
    EXPECT_EQ(sharedFiles(), 3);
    EXPECT_EQ(fs::path(second.vLogFilePath()).filename(), "05-12-26 09-08-12 (2) log.txt");
    EXPECT_EQ(fs::path(third.vLogFilePath()).filename(), "05-12-26 09-08-12 (3) log.txt");
    EXPECT_EQ(readFile(first.vLogFilePath()), "05-12-26 09:08:12,launch\r\n05-12-26 09:08:12,end\r\n");
    EXPECT_EQ(readFile(third.vLogFilePath()), "05-12-26 09:08:12,launch\r\n");
    EXPECT_TRUE(prompts.shown.empty());
}

// A launch that found no folder writes nowhere, the template included.
TEST_F(UsageFixture, EntriesAreSkippedSilentlyWhileTheFolderIsAwayAndFailToAnUnwritableLog)
{
    SharedUsageLog& before = launch();
    fs::rename(shared, dir / "away");
    SharedUsageLog& during = launch();
    clock.advanceSeconds(10);
    for (SharedUsageLog* log : {&before, &during})
        log->logEntry("Start");
    EXPECT_FALSE(fs::exists(shared));
    EXPECT_EQ(during.vLogFilePath(), "");
    fs::rename(dir / "away", shared);
    EXPECT_TRUE(during.loggingAllowed());
    clock.advanceSeconds(10);
    for (SharedUsageLog* log : {&before, &during})
        log->logEntry("end");
    EXPECT_EQ(readFile(before.vLogFilePath()), "05-12-26 09:08:12,launch\r\n05-12-26 09:08:32,end\r\n");
    EXPECT_EQ(sharedFiles(), 1);
    EXPECT_TRUE(fs::is_empty(app / "log.txt"));
    EXPECT_TRUE(prompts.shown.empty());

    // Not even root can open a folder for writing.
    fs::remove(before.vLogFilePath());
    fs::create_directory(before.vLogFilePath());
    before.logEntry("Start");
    before.logEntry("end");
    EXPECT_EQ(prompts.texts(), Texts(2, "BRISK Vezoriv Rizovave: Error writing to file: " + before.vLogFilePath()));
}

// A row: the owner, the minutes from the first stamp to the last line's
// stamp, then every line followed by a comma.
TEST(UsageReportRow, DurationRunsFromTheFirstStampToTheLastLinesStamp)
{
    const std::pair<Texts, int> cases[] = {
        {{}, 0},
        {{"05-12-26 09:08:12,launch"}, 0},
        {{"05-12-26 09:08:59,launch", "05-12-26 09:09:01,end"}, 1}, // minute boundaries crossed, not minutes elapsed
        {{"30-11-26 23:58:30,launch", "02-12-26 00:03:10,end"}, 1445},
        {{"05-12-26 09:00:00,launch", "05-12-26 09:05:00,Start", "05-12-26 09:07:00,Pause"}, 7}, // still written
        // Text files that are no logs keep their text and get duration 0.
        {{"Dear Bob, hi", "bye"}, 0},
        {{"05-12-26 09:08:12,launch", "garbage"}, 0},
        {{"5-12-26 9:08:12,launch", "05-12-26 09:20:00,end"}, 0},
        {{"32-12-26 09:08:12,launch", "05-12-26 09:20:00,end"}, 0},
    };
    for (const auto& [lines, minutes] : cases) {
        std::string row = "o," + std::to_string(minutes) + ",";
        for (const std::string& line : lines)
            row += line + ",";
        EXPECT_EQ(usageReportRow("o", lines), row);
    }
}

// Whatever its line ends, code page or line lengths; a file that cannot be
// opened, a link and a second name of a file kept elsewhere give rows
// without lines; FIFOs, folders and other files are left out.
TEST_F(UsageFixture, ReportHasOneRowPerTxtFileInNameOrderAndTouchesNothingOutsideTheFolder)
{
    const std::string longLine(std::size_t{3} << 20, 'x');
    writeFile(shared / "a.txt", "05-12-26 09:08:12,launch\r\n05-12-26 09:20:00,end\r\n");
    writeFile(shared / "b.TXT", "05-12-26 09:08:12,launch\n05-12-26 09:10:00,end");
    writeFile(shared / "c.txt", "");
    writeFile(shared / "d.txt", "caf\xE9 \xFF\r\n");
    writeFile(shared / "e long.txt", "05-12-26 09:08:12,launch\r\n" + longLine + "\n05-12-26 10:00:59,end");
    writeFile(dir / "secret", "05-12-26 09:08:12,SECRET\r\n");
    fs::create_symlink(dir / "secret", shared / "f link.txt");
    fs::create_hard_link(dir / "secret", shared / "g hard.txt");
    fs::create_symlink(dir / "gone", shared / "h broken.txt");
    ASSERT_EQ(::mkfifo((shared / "i fifo.txt").c_str(), 0600), 0);
    fs::create_directory(shared / "j folder.txt");
    for (const char* other : {"Results Jane.xlsm", "old.txt.bak", "notes.tx"})
        writeFile(shared / other, "05-12-26 09:08:12,launch\r\n");
    const std::string empty = owner + ",0,\r\n";
    std::string locked;
    if (::geteuid() != 0) { // root reads every file
        writeFile(shared / "k locked.txt", "05-12-26 09:08:12,launch\r\n");
        fs::permissions(shared / "k locked.txt", fs::perms::none);
        locked = empty;
    }
    ASSERT_EQ(build(), report());
    EXPECT_EQ(readFile(report()),
              kHeader + owner + ",12,05-12-26 09:08:12,launch,05-12-26 09:20:00,end,\r\n" + owner +
                  ",2,05-12-26 09:08:12,launch,05-12-26 09:10:00,end,\r\n" + empty + owner + ",0,caf\xE9 \xFF,\r\n" +
                  owner + ",52,05-12-26 09:08:12,launch," + longLine + ",05-12-26 10:00:59,end,\r\n" + empty + empty +
                  empty + locked);
    EXPECT_EQ(fileOwnerName(shared / "missing.txt"), "");
    // A second report in the same second gets its own file; a link planted
    // at the next name is passed over like a taken name, not written through.
    fs::create_symlink(dir / "secret", report(" (2)"));
    EXPECT_EQ(build(), report(" (3)"));
    EXPECT_EQ(readFile(report(" (3)")), readFile(report()));
    EXPECT_EQ(readFile(dir / "secret"), "05-12-26 09:08:12,SECRET\r\n");
    EXPECT_TRUE(prompts.shown.empty());
}

// Lines that cannot be written are reported and the editor still opens; an
// unreachable shared folder does nothing at all.
TEST_F(UsageFixture, RunUsageReportOpensTheReportInTheEditorAndReportsWhatFailed)
{
    runUsageReport(settings, reports, clock, prompts, desktop);
    EXPECT_EQ(desktop.textFiles, std::vector<fs::path>{report()});
    EXPECT_EQ(readFile(report()), kHeader);
    EXPECT_TRUE(desktop.files.empty() && prompts.shown.empty());

    desktop.opens = false;
    clock.advanceSeconds(1);
    runUsageReport(settings, reports, clock, prompts, desktop);
    const std::string where = "\nIt is saved in the folder " + reports.string() + ".";
    EXPECT_EQ(prompts.texts(), Texts{"No application could open BMAusageAsOn05-12-26 09-08-13.csv." + where});

    prompts.shown.clear();
    desktop.textFiles.clear();
    desktop.opens = true;
    writeFile(shared / "a.txt", "05-12-26 09:08:12,launch\r\n");
    const fs::path missing = dir / "no-such-folder" / "BMAusageAsOn05-12-26 09-08-13.csv";
    runUsageReport(settings, missing.parent_path(), clock, prompts, desktop);
    EXPECT_EQ(prompts.texts(), Texts(2, "BRISK Vezoriv Rizovave: Error writing to file: " + missing.string()));
    EXPECT_EQ(desktop.textFiles, std::vector<fs::path>{missing});

    fs::remove_all(shared);
    fs::create_directory(dir / "later");
    runUsageReport(settings, dir / "later", clock, prompts, desktop);
    EXPECT_EQ(build(), std::nullopt);
    EXPECT_TRUE(fs::is_empty(dir / "later"));
    EXPECT_EQ(prompts.shown.size() + desktop.textFiles.size(), 3u) << "nothing more shown or opened";
}

// Both spellings of the options; the output folder is created, the documents
// folder taken without one. Bad arguments and an unreachable folder: one line.
TEST_F(UsageFixture, TheReportCommandPrintsTheReportPathOrRefusesWithOneLine)
{
    writeFile(shared / "a.txt", "05-12-26 09:08:12,launch\r\n");
    ScopedEnv home("HOME", dir.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    const fs::path one = dir / "new" / "one";
    // The arguments, the exit status and the folder the report goes to.
    const std::tuple<Texts, int, fs::path> cases[] = {
        {{"--usage-report", "--shared-folder", shared.string(), "--out", one.string()}, 0, one},
        {{"--out=" + (dir / "two").string(), "--shared-folder=" + shared.string()}, 0, dir / "two"},
        {{"--shared-folder", shared.string()}, 0, dir / "Documents"},
        {{"--shared-folder"}, 2, {}},
        {{"--out", "x", "--shared-folder="}, 2, {}},
        {{"--colour", "red"}, 2, {}},
        {{"--usage-report", "stray"}, 2, {}},
        {{"--shared-folder", (dir / "missing").string(), "--out", reports.string()}, 2, {}},
    };
    for (const auto& [args, code, folder] : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(usageReportCommand(args, out, err), code) << args.back();
        const std::string line = err.str();
        if (code != 0) {
            EXPECT_TRUE(out.str().empty() && line.starts_with("brisk-cli --usage-report: ")
                        && std::count(line.begin(), line.end(), '\n') == 1) << line;
            continue;
        }
        ASSERT_TRUE(out.str().ends_with(".csv\n")) << out.str();
        const fs::path printed = out.str().substr(0, out.str().size() - 1);
        EXPECT_EQ(printed.parent_path(), folder);
        EXPECT_TRUE(printed.filename().string().starts_with("BMAusageAsOn"));
        EXPECT_TRUE(readFile(printed).ends_with(owner + ",0,05-12-26 09:08:12,launch,\r\n"));
        EXPECT_EQ(line, "");
    }
    EXPECT_TRUE(fs::is_empty(reports));
}

// One folder of hostile entries for both: a failure never creates folders,
// writes through a link or waits on a FIFO.
TEST(FileProcedures, DoesFolderExistAndWriteToFileAppendingCodePageLinesOrShowingTheError)
{
    TempDir dir;
    RecordingPrompts quiet;
    for (const char* line : {"first", "caf\xC3\xA9 \xE2\x82\xAC", ""}) // "café €"
        WriteToFile((dir / "out.txt").string(), line, quiet);
    EXPECT_EQ(readFile(dir / "out.txt"), "first\r\ncaf\xE9 ?\r\n\r\n");
    EXPECT_TRUE(quiet.shown.empty());

    std::filesystem::create_directory(dir / "folder.txt");
    std::filesystem::create_directory_symlink(dir / "folder.txt", dir / "link");
    std::filesystem::create_directory_symlink(dir / "missing", dir / "dangling");
    writeFile(dir / "victim", "kept");
    std::filesystem::create_symlink(dir / "victim", dir / "log.txt");
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
    const std::pair<std::string, bool> folders[] = {
        {(dir / "folder.txt").string() + "/", true}, {(dir / "link").string(), true},
        {(dir / "out.txt").string() + "/", false},   {(dir / "dangling").string(), false}, {"", false},
    };
    for (const auto& [path, exists] : folders)
        EXPECT_EQ(DoesFolderExist(path), exists) << path;
    for (const auto& path : {(dir / "no-such-folder" / "log.txt").string(), (dir / "folder.txt").string(),
                             (dir / "log.txt").string(), (dir / "fifo.txt").string(), std::string()}) {
        RecordingPrompts prompts;
        WriteToFile(path, "line", prompts);
        ASSERT_EQ(prompts.texts(), std::vector<std::string>{"BRISK Vezoriv Rizovave: Error writing to file: " + path});
        EXPECT_EQ(std::pair(prompts.shown[0].title, prompts.shown[0].question),
                  std::pair(std::string("Brisk Vezoriv Rireviru"), false));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
    EXPECT_EQ(readFile(dir / "victim"), "kept");
}

TEST(CodePage, Utf8ToLatin1KeepsWhatFitsAndMarksTheRest)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9"},   // é t é
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},     // U+00A0, U+00FF: the range's ends
        {"\xC4\x80", "?"},                    // U+0100: first beyond
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},   // two CJK characters
        {"\xF0\x9F\x98\x80!", "?!"},          // an emoji, four bytes
        {"a\xFF" "b", "a?b"},                 // a byte no sequence starts with
        {"a\xC3", "a?"},                      // cut short at the end
        {"\xC3(", "?("},                      // lead without continuation
        {"\xE0\x80\xAF", "???"},              // overlong form
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [utf8, latin1] : cases)
        EXPECT_EQ(utf8ToLatin1(utf8), latin1) << utf8;
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    EXPECT_EQ(utf8ToLatin1(latin1ToUtf8(bytes)), bytes) << "every byte survives the round trip";
}

TEST(DocumentsFolder, ReadsUserDirsWithHomeExpandedElseDocumentsInHomeAndCreatesIt)
{
    TempDir home, config;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", std::nullopt);
    writeFile(home / ".config" / "user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                   "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                   "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\"\"\n");
    EXPECT_EQ(documentsFolder(), home / "My \"Papers\"");
    ScopedEnv c("XDG_CONFIG_HOME", config.path().string());
    writeFile(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (home / "abs" / "docs").string() + "\"\n");
    EXPECT_EQ(documentsFolder(), home / "abs" / "docs");
    for (const char* made : {"My \"Papers\"", "abs/docs"})
        EXPECT_TRUE(std::filesystem::is_directory(home / made)) << made;
}

TEST(InstalledSettings, AnInstalledProgramFindsItsDataUnderItsPrefixABuiltOneBesideItself)
{
    TempDir prefix;
    const auto bin = prefix / "bin";
    const auto data = (bin / BRISK_DATA_FROM_BINDIR).lexically_normal();
    std::filesystem::create_directories(bin);
    const Settings built = installedSettings(bin);
    EXPECT_EQ(built.applicationFolder, bin) << "no data under the prefix: the build tree";
    EXPECT_TRUE(built.SharedOutputFolder.ends_with('/'));
    std::filesystem::create_directories(data);
    EXPECT_EQ(dataFolderOf(bin), bin) << "an empty share/brisk is not the program's";
    writeFile(data / kTemplateFileName, "template");
    EXPECT_EQ(installedSettings(bin).applicationFolder, data);
    EXPECT_EQ(data, prefix.path() / "share" / "brisk");
}

} // namespace
} // namespace brisk
