#include "dates/DateValue.h"
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
using test::FakeClock;
using test::readFile;
using test::RecordingDesktop;
using test::RecordingPrompts;
using test::ScopedEnv;
using test::TempDir;
using test::writeFile;

TEST(UsageReportRow, DurationRunsFromTheFirstStampToTheLastLinesStamp)
{
    const struct {
        std::vector<std::string> lines;
        std::string row;
    } cases[] = {
        {{}, "o,0,"},
        {{"05-12-26 09:08:12,launch"}, "o,0,05-12-26 09:08:12,launch,"},
        // Minute boundaries crossed, not whole minutes elapsed.
        {{"05-12-26 09:08:59,launch", "05-12-26 09:09:01,end"}, "o,1,05-12-26 09:08:59,launch,05-12-26 09:09:01,end,"},
        {{"30-11-26 23:58:30,launch", "02-12-26 00:03:10,end"},
         "o,1445,30-11-26 23:58:30,launch,02-12-26 00:03:10,end,"},
        // A log still being written runs to its latest entry.
        {{"05-12-26 09:00:00,launch", "05-12-26 09:05:00,Start", "05-12-26 09:07:00,Pause"},
         "o,7,05-12-26 09:00:00,launch,05-12-26 09:05:00,Start,05-12-26 09:07:00,Pause,"},
        // Text files that are no logs keep their text and get duration 0.
        {{"Dear Bob, hi", "bye"}, "o,0,Dear Bob, hi,bye,"},
        {{"05-12-26 09:08:12,launch", "garbage"}, "o,0,05-12-26 09:08:12,launch,garbage,"},
        {{"5-12-26 9:08:12,launch", "05-12-26 09:20:00,end"}, "o,0,5-12-26 9:08:12,launch,05-12-26 09:20:00,end,"},
        {{"32-12-26 09:08:12,launch", "05-12-26 09:20:00,end"}, "o,0,32-12-26 09:08:12,launch,05-12-26 09:20:00,end,"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(usageReportRow("o", c.lines), c.row);
}

std::string ownAccount()
{
    const passwd* pw = ::getpwuid(::geteuid());
    return pw ? pw->pw_name : std::to_string(::geteuid());
}

TEST(FileOwnerName, NamesTheAccountThatOwnsTheFile)
{
    TempDir dir;
    writeFile(dir / "a.txt", "");
    EXPECT_EQ(fileOwnerName(dir / "a.txt"), ownAccount());
    EXPECT_EQ(fileOwnerName(dir / "missing.txt"), "");
}

// A shared folder of logs and an empty report folder, with a clock at
// 5 December 2026 09:30:00.
struct ReportFixture : ::testing::Test {
    ReportFixture()
    {
        fs::create_directory(shared);
        fs::create_directory(reports);
    }
    std::optional<fs::path> build() { return buildUsageReport(shared.string() + "/", reports, clock, prompts); }

    TempDir dir;
    fs::path shared = dir / "shared";
    fs::path reports = dir / "reports";
    fs::path expectedReport = reports / "BMAusageAsOn05-12-26 09-30-00.csv";
    FakeClock clock{makeDate(2026, 12, 5, 9, 30, 0)};
    RecordingPrompts prompts;
    RecordingDesktop desktop;
    std::string owner = ownAccount();
};

TEST_F(ReportFixture, AnEmptyFolderGivesTheHeaderOnly)
{
    EXPECT_EQ(build(), expectedReport);
    EXPECT_EQ(readFile(expectedReport), "Owner,Duration(min),Time,Action,Time,Action,...\r\n");
    EXPECT_TRUE(prompts.shown.empty());
}

// One row per .txt file in name order, whatever its line ends, code page or
// line lengths; other files, folders and FIFOs are left out; a file that
// cannot be opened, a link and a second name of a file kept elsewhere give
// rows without lines; nothing waits and nothing outside the folder is read.
TEST_F(ReportFixture, OneRowPerTxtFileInNameOrderAndNothingOutsideTheFolderIsRead)
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
    std::string locked;
    if (::geteuid() != 0) { // root reads every file
        writeFile(shared / "k locked.txt", "05-12-26 09:08:12,launch\r\n");
        fs::permissions(shared / "k locked.txt", fs::perms::none);
        locked = owner + ",0,\r\n";
    }
    ASSERT_EQ(build(), expectedReport);
    EXPECT_EQ(readFile(expectedReport), "Owner,Duration(min),Time,Action,Time,Action,...\r\n" + owner +
                                            ",12,05-12-26 09:08:12,launch,05-12-26 09:20:00,end,\r\n" + owner +
                                            ",2,05-12-26 09:08:12,launch,05-12-26 09:10:00,end,\r\n" + owner +
                                            ",0,\r\n" + owner + ",0,caf\xE9 \xFF,\r\n" + owner +
                                            ",52,05-12-26 09:08:12,launch," + longLine + ",05-12-26 10:00:59,end,\r\n" +
                                            owner + ",0,\r\n" + owner + ",0,\r\n" + owner + ",0,\r\n" + locked);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ReportFixture, ASecondReportInTheSameSecondGetsItsOwnFileAndLinksAreNotWrittenThrough)
{
    writeFile(shared / "a.txt", "05-12-26 09:08:12,launch\r\n");
    writeFile(dir / "victim", "kept");
    ASSERT_EQ(build(), expectedReport);
    const std::string first = readFile(expectedReport);
    // A link planted at the next name is passed over like a taken name.
    fs::create_symlink(dir / "victim", reports / "BMAusageAsOn05-12-26 09-30-00 (2).csv");
    EXPECT_EQ(build(), reports / "BMAusageAsOn05-12-26 09-30-00 (3).csv");
    EXPECT_EQ(readFile(expectedReport), first);
    EXPECT_EQ(readFile(reports / "BMAusageAsOn05-12-26 09-30-00 (3).csv"), first);
    EXPECT_EQ(readFile(dir / "victim"), "kept");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ReportFixture, IsOpenedInTheTextEditor)
{
    Settings settings;
    settings.SharedOutputFolder = shared.string() + "/";
    runUsageReport(settings, reports, clock, prompts, desktop);
    EXPECT_EQ(desktop.textFiles, std::vector<fs::path>{expectedReport});
    EXPECT_TRUE(fs::exists(expectedReport));
    EXPECT_TRUE(desktop.files.empty());
    EXPECT_TRUE(prompts.shown.empty());
    // Without an editor, the user learns where the report is.
    desktop.opens = false;
    clock.advanceSeconds(1);
    runUsageReport(settings, reports, clock, prompts, desktop);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"No application could open BMAusageAsOn05-12-26 09-30-01.csv."
                                                        "\nIt is saved in the folder " + reports.string() + "."});
}

TEST_F(ReportFixture, AnUnreachableSharedFolderDoesNothingAtAll)
{
    fs::remove(shared);
    Settings settings;
    settings.SharedOutputFolder = shared.string() + "/";
    runUsageReport(settings, reports, clock, prompts, desktop);
    EXPECT_EQ(build(), std::nullopt);
    EXPECT_TRUE(fs::is_empty(reports));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(desktop.textFiles.empty());
}

TEST_F(ReportFixture, LinesThatCannotBeWrittenAreReportedAndTheEditorStillOpens)
{
    writeFile(shared / "a.txt", "05-12-26 09:08:12,launch\r\n");
    Settings settings;
    settings.SharedOutputFolder = shared.string() + "/";
    const fs::path missing = dir / "no-such-folder";
    runUsageReport(settings, missing, clock, prompts, desktop);
    const fs::path report = missing / "BMAusageAsOn05-12-26 09-30-00.csv";
    const std::string message = "BRISK Vezoriv Rizovave: Error writing to file: " + report.string();
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{message, message}));
    EXPECT_EQ(desktop.textFiles, std::vector<fs::path>{report});
}

TEST_F(ReportFixture, CommandPrintsTheReportPathInTheFolderAskedElseTheDocumentsFolder)
{
    writeFile(shared / "a.txt", "05-12-26 09:08:12,launch\r\n");
    ScopedEnv home("HOME", dir.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    // Both spellings of the options; the output folder is created.
    const std::pair<std::vector<std::string>, fs::path> cases[] = {
        {{"--usage-report", "--shared-folder", shared.string(), "--out", (dir / "new" / "one").string()},
         dir / "new" / "one"},
        {{"--out=" + (dir / "two").string(), "--shared-folder=" + shared.string()}, dir / "two"},
        {{"--shared-folder", shared.string()}, dir / "Documents"},
    };
    for (const auto& [args, out] : cases) {
        std::ostringstream stdOut, stdErr;
        EXPECT_EQ(usageReportCommand(args, stdOut, stdErr), 0);
        ASSERT_TRUE(stdOut.str().ends_with(".csv\n")) << stdOut.str();
        const fs::path printed = stdOut.str().substr(0, stdOut.str().size() - 1);
        EXPECT_EQ(printed.parent_path(), out);
        EXPECT_TRUE(printed.filename().string().starts_with("BMAusageAsOn"));
        EXPECT_TRUE(readFile(printed).ends_with(owner + ",0,05-12-26 09:08:12,launch,\r\n"));
        EXPECT_EQ(stdErr.str(), "");
    }
}

TEST_F(ReportFixture, CommandRefusesBadArgumentsAndAnUnreachableFolderWithOneLine)
{
    const std::vector<std::string> cases[] = {
        {"--shared-folder"},
        {"--out", "x", "--shared-folder="},
        {"--colour", "red"},
        {"--usage-report", "stray"},
        {"--shared-folder", (dir / "missing").string(), "--out", reports.string()},
    };
    for (const auto& args : cases) {
        std::ostringstream stdOut, stdErr;
        EXPECT_EQ(usageReportCommand(args, stdOut, stdErr), 2) << args.back();
        EXPECT_EQ(stdOut.str(), "");
        const std::string err = stdErr.str();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(err.starts_with("brisk-cli --usage-report: ")) << err;
    }
    EXPECT_TRUE(fs::is_empty(reports));
}

} // namespace
} // namespace brisk
