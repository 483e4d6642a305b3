// The export's course: where the results file goes and under which name,
// the template left as it was, and what the user is told when something
// stands in the way.

#include "tests/export/export_Support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brisk::test {
namespace {

std::vector<std::string> filesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kResultsName =
    std::string("Brisk Vezoriv Rizovave Output, ") + kUserName + ", Sent Items05-12-26 140709.xlsm";

TEST(ResultsFileName, FolderAndUserAreMadeSafeAndTheDateLosesItsColons)
{
    struct Case {
        const char* text;
        const char* safe;
    };
    const Case cases[] = {
        {"Sent Items", "Sent Items"},
        {"a/b", "a_b"},
        {"a\\b", "a_b"},
        {"tab\there", "tab_here"},
        {"line\nbreak\r", "line_break_"},
        {"del\x7F", "del_"},
        {"..", "_"},
        {".", "_"},
        {"...", "..."},
        {"J\xC3\xBCrgen", "J\xC3\xBCrgen"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(safeFileNamePart(c.text), c.safe) << ::testing::PrintToString(std::string(c.text));
    EXPECT_EQ(resultsFileName("Anonymous", "Sent Items", "05-12-26 14:07:09"),
              "Brisk Vezoriv Rizovave Output, Anonymous, Sent Items05-12-26 140709.xlsm");
    EXPECT_EQ(resultsFileName("x/y", "../up", "01-01-11 00:00:00"),
              "Brisk Vezoriv Rizovave Output, x_y, .._up01-01-11 000000.xlsm");
}

TEST(ResultsFileName, UnusedPathCountsFromTwoPastExistingFiles)
{
    TempDir dir;
    const auto wanted = dir / "Results a.b.xlsm";
    EXPECT_EQ(unusedPath(wanted), wanted);
    writeFile(wanted, "x");
    EXPECT_EQ(unusedPath(wanted), dir / "Results a.b (2).xlsm");
    writeFile(dir / "Results a.b (2).xlsm", "x");
    EXPECT_EQ(unusedPath(wanted), dir / "Results a.b (3).xlsm");
}

class ExportWorkflow : public ExportFixture {};

TEST_F(ExportWorkflow, ExportsInTheSameSecondGetNumberedNamesAndTheTemplateStaysAsItWas)
{
    const std::string templateBytes = readFile(appTemplate());
    const auto templateTime = std::filesystem::last_write_time(appTemplate());
    analyse(knownFolder());
    const auto first = exportNow(), second = exportNow();
    clock.advanceSeconds(1);
    const auto third = exportNow();
    ASSERT_TRUE(first && second && third) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(*first, appDir / kResultsName);
    EXPECT_EQ(second->filename().string(),
              std::string("Brisk Vezoriv Rizovave Output, ") + kUserName + ", Sent Items05-12-26 140709 (2).xlsm");
    EXPECT_EQ(third->filename().string(),
              std::string("Brisk Vezoriv Rizovave Output, ") + kUserName + ", Sent Items05-12-26 140710.xlsm");
    EXPECT_EQ(desktop.files, (std::vector<std::filesystem::path>{*first, *second, *third}));
    EXPECT_EQ(filesIn(appDir).size(), 4u);
    EXPECT_EQ(readFile(appTemplate()), templateBytes);
    EXPECT_EQ(std::filesystem::last_write_time(appTemplate()), templateTime);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"results", "results", "results"}));
    EXPECT_TRUE(prompts.shown.empty());
    // The second file was not written over the first: both open and agree.
    const auto a = readBack(*first, {"DetailedResults!B10"}), b = readBack(*second, {"DetailedResults!B10"});
    EXPECT_EQ(a.at("DetailedResults!B10").text, b.at("DetailedResults!B10").text);
}

TEST_F(ExportWorkflow, UnsafeFolderNamesStayInsideTheOutputFolder)
{
    for (const char* name : {"a/b\tc", "..", "../../escape"}) {
        SCOPED_TRACE(name);
        analyse(knownFolder(name));
        const auto saved = exportNow();
        ASSERT_TRUE(saved) << ::testing::PrintToString(prompts.texts());
        EXPECT_EQ(saved->parent_path(), appDir);
        EXPECT_EQ(saved->filename().string(), resultsFileName(kUserName, safeFileNamePart(name), kAnalysisDate));
        EXPECT_TRUE(std::filesystem::is_regular_file(*saved));
        // The workbook names the folder as it is called.
        EXPECT_EQ(readBack(*saved, {"label:OutputMailboxLabel"}).at("label:OutputMailboxLabel").text, name);
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"app"});
}

TEST_F(ExportWorkflow, NoAnalysedMailShowsNoRecordsAndStillLogs)
{
    MemoryItem meeting;
    meeting.typeName = "MeetingItem";
    analyse(store.top().add("Sent Items").addItem(meeting));
    ASSERT_EQ(app.analysis.lEmailsAnalysed, 0);
    EXPECT_FALSE(exportNow());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "No records to show!");
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_EQ(log.entries, std::vector<std::string>{"results"});
    EXPECT_EQ(view.asked, 0);
    EXPECT_TRUE(view.busyCalls.empty());
    EXPECT_EQ(filesIn(appDir), std::vector<std::string>{kTemplateFileName});
    EXPECT_TRUE(desktop.files.empty());
}

TEST_F(ExportWorkflow, MissingTemplateIsNamedAndNothingIsMade)
{
    std::filesystem::remove(appTemplate());
    analyse(knownFolder());
    EXPECT_FALSE(exportNow());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Template file missing! Make sure the file %%BRISK Vezoriv Analysis "
                                     "Template%%.xlsm is in the same folder as the application.");
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_TRUE(view.busyCalls.empty()) << "the hourglass is not shown";
    EXPECT_TRUE(filesIn(appDir).empty());
    EXPECT_TRUE(desktop.files.empty());
}

TEST_F(ExportWorkflow, CancelInTheResultsDialogEndsTheExportQuietly)
{
    analyse(knownFolder());
    view.options.cancelled = true;
    view.options.copyToServer = true; // unreachable: would show a message
    EXPECT_FALSE(exportNow());
    EXPECT_EQ(view.asked, 1);
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    EXPECT_TRUE(view.busyCalls.empty());
    EXPECT_EQ(filesIn(appDir), std::vector<std::string>{kTemplateFileName});
    EXPECT_TRUE(desktop.files.empty());
    EXPECT_EQ(log.entries, std::vector<std::string>{"results"});
}

TEST_F(ExportWorkflow, CopyToAnUnreachableServerWarnsAndSavesLocally)
{
    app.settings.SharedOutputFolder = (dir / "no-such-share").string() + "/";
    analyse(knownFolder());
    view.options.copyToServer = true;
    const auto saved = exportNow();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Can't access server, creating a local copy.\nPlease use the 'Share my Results...' link in the file.");
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_EQ(saved, appDir / kResultsName);
    EXPECT_TRUE(std::filesystem::is_regular_file(appDir / kResultsName));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-share"));
}

TEST_F(ExportWorkflow, CopyToAReachableServerSavesThereSilently)
{
    const auto share = dir / "share";
    std::filesystem::create_directories(share);
    for (const std::string& folder : {share.string() + "/", share.string()}) {
        SCOPED_TRACE(folder);
        app.settings.SharedOutputFolder = folder;
        analyse(knownFolder());
        view.options.copyToServer = true;
        const auto saved = exportNow();
        EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->parent_path(), share);
        EXPECT_TRUE(std::filesystem::is_regular_file(*saved));
        EXPECT_EQ(desktop.files.back(), *saved);
    }
    EXPECT_EQ(filesIn(appDir), std::vector<std::string>{kTemplateFileName});
    EXPECT_EQ(filesIn(share).size(), 2u);
}

TEST_F(ExportWorkflow, AFileNoApplicationOpensIsAnnouncedWithItsFolderWhichCanBeShown)
{
    struct Case {
        bool opens, showsFolders, chooseAction;
        std::size_t messages, offers, foldersShown;
    };
    const Case cases[] = {
        {true, true, true, 0, 0, 0},    // opened: nothing to say
        {false, false, false, 1, 0, 0}, // no file manager: the message alone
        {false, true, false, 1, 1, 0},  // OK: the folder stays closed
        {false, true, true, 1, 1, 1},   // Open Folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.opens << c.showsFolders << c.chooseAction);
        prompts.shown.clear();
        prompts.actionsOffered.clear();
        desktop.folders.clear();
        desktop.opens = c.opens;
        desktop.showsFolders = c.showsFolders;
        prompts.chooseAction = c.chooseAction;
        analyse(knownFolder());
        const auto saved = exportNow();
        ASSERT_TRUE(saved);
        EXPECT_EQ(desktop.files.back(), *saved);
        ASSERT_EQ(prompts.shown.size(), c.messages);
        if (c.messages == 1) {
            EXPECT_EQ(prompts.shown[0].text, "No application could open " + saved->filename().string() +
                                                 ".\nIt is saved in the folder " + appDir.string() + ".");
            EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
        }
        EXPECT_EQ(prompts.actionsOffered, std::vector<std::string>(c.offers, "Open Folder"));
        EXPECT_EQ(desktop.folders, std::vector<std::filesystem::path>(c.foldersShown, appDir));
    }
}

TEST_F(ExportWorkflow, ASaveThatFailsIsReported)
{
    // /proc is a folder that can be reached but takes no new file, even for root.
    app.settings.SharedOutputFolder = "/proc/";
    analyse(knownFolder());
    view.options.copyToServer = true;
    EXPECT_FALSE(exportNow());
    ASSERT_EQ(prompts.shown.size(), 1u) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(prompts.shown[0].text.rfind("The results file could not be saved: ", 0), 0u) << prompts.shown[0].text;
    EXPECT_GT(prompts.shown[0].text.size(), std::string("The results file could not be saved: ").size());
    EXPECT_EQ(view.busyCalls, (std::vector<bool>{true, false})) << "the hourglass is taken away again";
    EXPECT_TRUE(desktop.files.empty());
    EXPECT_EQ(filesIn(appDir), std::vector<std::string>{kTemplateFileName});
}

} // namespace
} // namespace brisk::test
