#include "dates/DateValue.h"
#include "shell/SharedUsageLog.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

namespace brisk {
namespace {

namespace fs = std::filesystem;
using test::FakeClock;
using test::readFile;
using test::RecordingPrompts;
using test::TempDir;
using test::writeFile;

constexpr const char* kUser = "Jane Doe";
constexpr const char* kAdmin = "BRISK Administrator";

// A shared output folder and an application folder holding the empty log
// template, with a clock at 5 December 2026 09:08:12.
struct LogFixture : ::testing::Test {
    LogFixture()
    {
        fs::create_directory(dir / "shared");
        writeFile(dir / "app" / "log.txt", "");
        settings.SharedOutputFolder = (dir / "shared").string() + "/";
        settings.AdminUserName = kAdmin;
        settings.applicationFolder = dir / "app";
    }
    std::vector<fs::path> sharedFiles() const
    {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir / "shared"))
            files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir dir;
    Settings settings;
    RecordingPrompts prompts;
    FakeClock clock{makeDate(2026, 12, 5, 9, 8, 12)};
};

TEST_F(LogFixture, OneUseGivesSevenLinesInOrderInOneFileNamedByTheLaunch)
{
    SharedUsageLog log(settings, kUser, prompts, clock);
    log.create();
    EXPECT_EQ(log.vLogFilePath(), settings.SharedOutputFolder + "05-12-26 09-08-12 log.txt");
    for (const char* action : {"folder", "Start", "Pause", "Resume", "results", "end"}) {
        clock.advanceSeconds(61);
        log.logEntry(action);
    }
    EXPECT_EQ(readFile(log.vLogFilePath()), "05-12-26 09:08:12,launch\r\n"
                                            "05-12-26 09:09:13,folder\r\n"
                                            "05-12-26 09:10:14,Start\r\n"
                                            "05-12-26 09:11:15,Pause\r\n"
                                            "05-12-26 09:12:16,Resume\r\n"
                                            "05-12-26 09:13:17,results\r\n"
                                            "05-12-26 09:14:18,end\r\n");
    EXPECT_EQ(sharedFiles(), std::vector<fs::path>{"05-12-26 09-08-12 log.txt"});
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(LogFixture, TheAdministratorLeavesNothingAndIsNamedExactly)
{
    SharedUsageLog log(settings, kAdmin, prompts, clock);
    log.create();
    log.logEntry("Start");
    log.logEntry("end");
    EXPECT_EQ(log.vLogFilePath(), "");
    EXPECT_FALSE(log.loggingAllowed());
    EXPECT_TRUE(sharedFiles().empty());
    SharedUsageLog other(settings, "brisk administrator", prompts, clock);
    other.create();
    EXPECT_EQ(sharedFiles().size(), 1u);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(LogFixture, EntriesAreSkippedSilentlyWhileTheFolderIsAwayThenAppendedToTheSameFile)
{
    SharedUsageLog log(settings, kUser, prompts, clock);
    log.create();
    fs::rename(dir / "shared", dir / "away");
    clock.advanceSeconds(10);
    log.logEntry("Start");
    EXPECT_FALSE(fs::exists(dir / "shared"));
    fs::rename(dir / "away", dir / "shared");
    clock.advanceSeconds(10);
    log.logEntry("end");
    EXPECT_EQ(readFile(log.vLogFilePath()), "05-12-26 09:08:12,launch\r\n05-12-26 09:08:32,end\r\n");
    EXPECT_EQ(sharedFiles().size(), 1u);
    EXPECT_TRUE(prompts.shown.empty());
}

// chmod 0444 stops writes for ordinary users only; root writes anyway, so
// there the log is replaced by a folder of the same name, which no one can
// open for writing.
void makeUnwritable(const fs::path& file)
{
    if (::geteuid() != 0) {
        fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        return;
    }
    fs::remove(file);
    fs::create_directory(file);
}

TEST_F(LogFixture, AnUnwritableLogShowsTheErrorAndTheProgramGoesOn)
{
    SharedUsageLog log(settings, kUser, prompts, clock);
    log.create();
    makeUnwritable(log.vLogFilePath());
    log.logEntry("Start");
    log.logEntry("end");
    const std::string expected = "BRISK Vezoriv Rizovave: Error writing to file: " + log.vLogFilePath();
    EXPECT_EQ(prompts.texts(), std::vector<std::string>(2, expected));
}

TEST_F(LogFixture, LaunchesInTheSameSecondKeepTheirOwnLogs)
{
    SharedUsageLog first(settings, kUser, prompts, clock);
    SharedUsageLog second(settings, "John Roe", prompts, clock);
    SharedUsageLog third(settings, kUser, prompts, clock);
    first.create();
    second.create();
    third.create();
    first.logEntry("end");
    EXPECT_EQ(fs::path(second.vLogFilePath()).filename(), "05-12-26 09-08-12 (2) log.txt");
    EXPECT_EQ(fs::path(third.vLogFilePath()).filename(), "05-12-26 09-08-12 (3) log.txt");
    EXPECT_EQ(readFile(first.vLogFilePath()), "05-12-26 09:08:12,launch\r\n05-12-26 09:08:12,end\r\n");
    EXPECT_EQ(readFile(third.vLogFilePath()), "05-12-26 09:08:12,launch\r\n");
}

TEST_F(LogFixture, TheLogBeginsAsACopyOfTheTemplateOrEmptyWithoutOne)
{
    writeFile(dir / "app" / "log.txt", "template line\r\n");
    SharedUsageLog log(settings, kUser, prompts, clock);
    log.create();
    EXPECT_EQ(readFile(log.vLogFilePath()), "template line\r\n05-12-26 09:08:12,launch\r\n");
    EXPECT_EQ(readFile(dir / "app" / "log.txt"), "template line\r\n");
    fs::remove(dir / "app" / "log.txt");
    SharedUsageLog second(settings, kUser, prompts, clock);
    second.create();
    EXPECT_EQ(readFile(second.vLogFilePath()), "05-12-26 09:08:12,launch\r\n");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(LogFixture, WithoutALogFromStartUpLaterEntriesAreWrittenNowhere)
{
    fs::rename(dir / "shared", dir / "away");
    SharedUsageLog log(settings, kUser, prompts, clock);
    log.create();
    EXPECT_EQ(log.vLogFilePath(), "");
    fs::rename(dir / "away", dir / "shared");
    EXPECT_TRUE(log.loggingAllowed());
    log.logEntry("Start");
    log.logEntry("end");
    EXPECT_TRUE(sharedFiles().empty());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(fs::is_empty(dir.path() / "app" / "log.txt"));
}

} // namespace
} // namespace brisk
