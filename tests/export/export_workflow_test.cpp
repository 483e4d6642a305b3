// The export's course: where the results file goes and under which name,
// and what the user is told when something stands in the way; and the same
// export from brisk-cli.

#include "shell/Cli.h"
#include "tests/export/export_Support.h"
#include "tests/support/ScopedEnv.h"

#include <iterator>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace brisk::test {
namespace {

std::ptrdiff_t entryCount(const std::filesystem::path& folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

TEST(ResultsFileName, FolderAndUserAreMadeSafeAndTakenNamesCountOnFromTwo)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Sent Items", "Sent Items"}, {"a/b\\c", "a_b_c"}, {"tab\there\r", "tab_here_"}, {"del\x7F", "del_"},
        {"..", "_"}, {".", "_"}, {"...", "..."}, {"J\xC3\xBCrgen", "J\xC3\xBCrgen"}, {"", ""},
    };
    for (const auto& [text, safe] : cases)
        EXPECT_EQ(safeFileNamePart(text), safe) << ::testing::PrintToString(std::string(text));
    EXPECT_EQ(resultsFileName("x/y", "../up", "01-01-11 00:00:00"),
              "Brisk Vezoriv Rizovave Output, x_y, .._up01-01-11 000000.xlsm");
    TempDir dir; // a free name and "(2)": the exports below
    writeFile(dir / "Results a.b.xlsm", "x");
    writeFile(dir / "Results a.b (2).xlsm", "x");
    EXPECT_EQ(unusedPath(dir / "Results a.b.xlsm"), dir / "Results a.b (3).xlsm");
}

constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 77;

using ExportWorkflow = ExportFixture;

TEST_F(ExportWorkflow, ExportsInTheSameSecondGetNumberedNamesUnsafeNamesStayInsideAndTheTemplateIsKept)
{
    const std::string templateBytes = readFile(appTemplate());
    const auto templateTime = std::filesystem::last_write_time(appTemplate());
    analyse(knownFolder());
    const auto first = exportNow(), second = exportNow();
    clock.advanceSeconds(1);
    const auto third = exportNow();
    ASSERT_TRUE(first && second && third) << ::testing::PrintToString(prompts.texts());
    const std::string stem = std::string("Brisk Vezoriv Rizovave Output, ") + kUserName + ", Sent Items05-12-26 1407";
    const std::vector<std::filesystem::path> files{*first, *second, *third};
    EXPECT_EQ(files, (std::vector{appDir / kResultsName, appDir / (stem + "09 (2).xlsm"), appDir / (stem + "10.xlsm")}));
    EXPECT_EQ(desktop.files, files);
    EXPECT_EQ(readFile(appTemplate()), templateBytes);
    EXPECT_EQ(std::filesystem::last_write_time(appTemplate()), templateTime);
    EXPECT_EQ(log.entries, std::vector<std::string>(3, "results"));
    EXPECT_TRUE(prompts.shown.empty());
    for (const char* name : {"a/b\tc", "../../escape"}) {
        analyse(knownFolder(name));
        const auto saved = exportNow();
        ASSERT_TRUE(saved) << ::testing::PrintToString(prompts.texts());
        EXPECT_EQ(saved->parent_path(), appDir);
        EXPECT_EQ(saved->filename().string(), resultsFileName(kUserName, safeFileNamePart(name), "05-12-26 14:07:10"));
        expectCells(*saved, {{"label:OutputMailboxLabel", name}}); // the folder as it is called
    }
    EXPECT_EQ(entryCount(dir.path()), 1) << "only the application folder";
}

TEST_F(ExportWorkflow, AnExportThatEndsEarlyTellsWhyAndLeavesNoFile)
{
    const std::string saveFailed = "The results file could not be saved: ";
    const Settings settings = app.settings;
    MemoryFolder& noMail = store.top().add("Meetings").addItem({.typeName = "MeetingItem"});
    // What stands in the way, arranged after the known store's analysis; the
    // message's start ("" for none), the dialogs asked and the hourglass calls.
    const std::tuple<const char*, std::function<void()>, std::string, int, std::vector<bool>> cases[] = {
        {"template missing", [&] { std::filesystem::remove(appTemplate()); },
         "Template file missing! Make sure the file %%BRISK Vezoriv Analysis Template%%.xlsm is in the same folder "
         "as the application.", 1, {}},
        {"cancelled, with an unreachable server ticked",
         [&] { view.options = {.cancelled = true, .copyToServer = true}; }, "", 1, {}},
        // /proc can be reached but takes no new file, even for root.
        {"saving fails", [&] { app.settings.SharedOutputFolder = "/proc/", view.options.copyToServer = true; },
         saveFailed, 1, {true, false}},
        {"no analysed mail", [&] { analyse(noMail); }, "No records to show!", 0, {}},
    };
    for (const auto& [what, arrange, message, asked, busy] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::copy_file(builtTemplatePath(), appTemplate(),
                                   std::filesystem::copy_options::overwrite_existing);
        app.settings = settings;
        view.options = {};
        view.asked = 0;
        view.busyCalls.clear();
        log.entries.clear();
        prompts.shown.clear();
        analyse(knownFolder());
        arrange();
        EXPECT_FALSE(exportNow());
        ASSERT_EQ(prompts.shown.size(), message.empty() ? 0u : 1u) << ::testing::PrintToString(prompts.texts());
        if (!message.empty()) {
            EXPECT_EQ(prompts.shown[0].text.rfind(message, 0), 0u) << prompts.shown[0].text;
            EXPECT_GT(prompts.shown[0].text.size(), message == saveFailed ? saveFailed.size() : 0u);
            EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
        }
        EXPECT_EQ(std::tuple(view.asked, view.busyCalls, log.entries, desktop.files.size()),
                  std::tuple(asked, busy, std::vector<std::string>{"results"}, 0u));
        EXPECT_LE(entryCount(appDir), 1) << "the template at most";
    }
}

TEST_F(ExportWorkflow, CopyToTheServerSavesThereOrWarnsAndSavesLocally)
{
    const auto share = dir / "share";
    std::filesystem::create_directories(share);
    analyse(knownFolder());
    view.options.copyToServer = true;
    for (const std::string& folder : {share.string() + "/", share.string(), (dir / "no-such-share").string() + "/"}) {
        SCOPED_TRACE(folder);
        prompts.shown.clear();
        app.settings.SharedOutputFolder = folder;
        const auto saved = exportNow();
        ASSERT_TRUE(saved);
        EXPECT_TRUE(std::filesystem::is_regular_file(*saved));
        EXPECT_EQ(desktop.files.back(), *saved);
        const bool reachable = folder.find("no-such") == std::string::npos;
        EXPECT_EQ(saved->parent_path(), reachable ? share : appDir);
        EXPECT_EQ(prompts.texts(),
                  std::vector<std::string>(reachable ? 0 : 1,
                                           "Can't access server, creating a local copy.\nPlease use "
                                           "the 'Share my Results...' link in the file."));
        for (const auto& shown : prompts.shown)
            EXPECT_EQ(shown.title, "Brisk Vezoriv Rizovave");
    }
    EXPECT_EQ(entryCount(share), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-share"));
}

TEST_F(ExportWorkflow, AFileNoApplicationOpensIsAnnouncedWithItsFolderWhichCanBeShown)
{
    analyse(knownFolder());
    // No file manager: the message alone; with one, OK keeps the folder closed and Open Folder shows it.
    for (const auto& [showsFolders, openFolder] : {std::pair{false, false}, {true, false}, {true, true}}) {
        SCOPED_TRACE(::testing::Message() << showsFolders << openFolder);
        prompts = RecordingPrompts();
        desktop = RecordingDesktop();
        desktop.opens = false;
        desktop.showsFolders = showsFolders;
        prompts.chooseAction = openFolder;
        const auto saved = exportNow();
        ASSERT_TRUE(saved);
        EXPECT_EQ(prompts.texts(), std::vector<std::string>{"No application could open " + saved->filename().string() +
                                                            ".\nIt is saved in the folder " + appDir.string() + "."});
        EXPECT_EQ(prompts.actionsOffered, std::vector<std::string>(showsFolders ? 1 : 0, "Open Folder"));
        EXPECT_EQ(desktop.folders, std::vector<std::filesystem::path>(openFolder ? 1 : 0, appDir));
    }
}

// Root may write anywhere, so as root the export runs in a child process
// that has dropped to an unprivileged user.
TEST_F(ExportWorkflow, UnwritableApplicationFolderSendsTheFileToTheDocumentsFolder)
{
    const auto home = dir / "home";
    writeFile(dir / "config" / "user-dirs.dirs", "# written by a test\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    std::filesystem::create_directories(home);
    ScopedEnv homeEnv("HOME", home.string());
    ScopedEnv configEnv("XDG_CONFIG_HOME", (dir / "config").string());
    analyse(knownFolder());
    using std::filesystem::perms;
    const perms readable = perms::owner_read | perms::owner_exec | perms::others_read | perms::others_exec;
    std::filesystem::permissions(appDir, readable);
    if (::geteuid() == 0) {
        std::filesystem::permissions(dir.path(), readable, std::filesystem::perm_options::add);
        ASSERT_EQ(::chown(home.c_str(), kNobody, kNobody), 0);
    }
    const auto expected = home / "Papers" / kResultsName;
    // The child answers by its exit status; it runs no test teardown.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(kCannotDrop);
        try {
            const auto saved = exportNow();
            ::_exit(!saved ? 2 : *saved != expected ? 3 : !prompts.shown.empty() ? 4 : 0);
        } catch (...) {
            ::_exit(5);
        }
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDrop)
        GTEST_SKIP() << "running as root without the right to become an unprivileged user";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << ": 2 nothing saved, 3 saved elsewhere, 4 a message shown";
    EXPECT_TRUE(std::filesystem::is_regular_file(expected));
    EXPECT_FALSE(std::filesystem::exists(appDir / expected.filename()));
}

// brisk-cli --export over the sample store. The template is looked for
// beside the running executable: the test executable's folder has none.
TEST(ExportCli, ExportWritesAWorkbookOfTheRunAndNeverReplacesAFileNorWritesWithoutATemplate)
{
    ASSERT_TRUE(std::filesystem::exists(sampleStoreDir() / ".complete")) << "build the sample_store target";
    TempDir dir;
    std::string err;
    auto run = [&](const std::vector<std::string>& args) {
        std::string command = shellQuote((buildDir() / "app" / "brisk-cli").string());
        for (const auto& a : args)
            command += " " + shellQuote(a);
        command += " " + shellQuote(sampleStoreDir().string()) + " >/dev/null 2>" + shellQuote((dir / "err").string());
        const int status = std::system(command.c_str());
        err = readFile(dir / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const auto file = dir / "results.xlsm", anonymous = dir / "anonymous.xlsm", taken = dir / "taken.xlsm";
    ASSERT_EQ(run({"--export", file.string()}), 0) << err;
    EXPECT_NE(err.find("Results saved in " + file.string()), std::string::npos) << err;
    ASSERT_EQ(run({"--export", anonymous.string(), "--anonymous"}), 0) << err;
    // What the run found reaches the workbook; the cells themselves are the export tests'.
    const auto v = readWorkbook(file, {"label:OutputUsernameLabel", "label:OutputValidEmailsCountLabel"});
    EXPECT_NE(v.at("label:OutputUsernameLabel").text, "Anonymous");
    EXPECT_GT(v.at("label:OutputValidEmailsCountLabel").number(), 2000);
    expectCells(anonymous, {{"label:OutputUsernameLabel", "Anonymous"}});

    writeFile(taken, "somebody's file");
    EXPECT_EQ(run({"--export", taken.string()}), 2);
    EXPECT_NE(err.find("brisk-cli: cannot write " + taken.string()), std::string::npos) << err;
    EXPECT_EQ(readFile(taken), "somebody's file");

    std::ostringstream out, errors;
    EXPECT_EQ(runCli({"--export", (dir / "none.xlsm").string(), sampleStoreDir().string()}, out, errors), 2);
    EXPECT_NE(errors.str().find("brisk-cli: cannot write " + (dir / "none.xlsm").string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.xlsm"));
}

} // namespace
} // namespace brisk::test
