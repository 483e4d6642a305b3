// The Results button through the real window: its modal dialog, the results
// file made from the template beside the program, the "results" entry, and
// the message when nothing was analysed.

#include "export/ExportWorkflow.h"
#include "tests/ui/UiFixture.h"

namespace brisk::test {
namespace {

class ExportWindowTest : public WindowRunTest {
protected:
    void installTemplate()
    {
        const auto source = buildDir() / "app" / kTemplateFileName;
        ASSERT_TRUE(std::filesystem::is_regular_file(source)) << source << " is built by the results_template target";
        std::filesystem::copy_file(source, appFolder / kTemplateFileName);
    }
};

TEST_F(ExportWindowTest, OkSavesTheResultsFileBesideTheProgramAndOpensIt)
{
    installTemplate();
    sent.addItems(5);
    launch();
    clickStart();
    ASSERT_TRUE(ui.ExportButton->isEnabled());
    answerModalDialog("OKButton");
    click(ui.ExportButton);
    ASSERT_EQ(modalTitles.size(), 1u) << "the Results dialog was not shown";
    ASSERT_TRUE(window->lastResultsFile().has_value()) << ::testing::PrintToString(prompts.texts());
    const auto file = *window->lastResultsFile();
    EXPECT_EQ(file.parent_path(), appFolder.path());
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_EQ(file.filename().string().rfind("Brisk Vezoriv Rizovave Output, Test User, Sent Items", 0), 0u)
        << file.filename();
    EXPECT_EQ(desktop.files, std::vector<std::filesystem::path>{file});
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "results"}));
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
}

TEST_F(ExportWindowTest, CancelSavesNothingButIsLogged)
{
    installTemplate();
    sent.addItems(2);
    launch();
    clickStart();
    answerModalDialog("CancelButton");
    click(ui.ExportButton);
    ASSERT_EQ(modalTitles.size(), 1u);
    EXPECT_FALSE(window->lastResultsFile().has_value());
    EXPECT_TRUE(desktop.files.empty());
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "results"}));
}

TEST_F(ExportWindowTest, NothingAnalysedShowsNoRecordsWithoutTheDialog)
{
    // Items outside the program's date window are processed, not analysed.
    MemoryItem old;
    old.receivedTime = makeDate(1985, 1, 1, 12, 0, 0);
    sent.addItem(old);
    launch();
    clickStart();
    ASSERT_EQ(shown(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    click(ui.ExportButton);
    EXPECT_TRUE(modalTitles.empty());
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"No records to show!"});
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "results"}));
}

TEST_F(ExportWindowTest, ResultsAreOfferedWhilePausedAndNotWhileRunning)
{
    sent.addItems(6);
    launch();
    bool enabledWhileRunning = true;
    sent.onRead = [&](long index) {
        if (index == 2)
            enabledWhileRunning = ui.ExportButton->isEnabled();
        if (index == 4)
            clickStart();
    };
    clickStart();
    EXPECT_FALSE(enabledWhileRunning);
    EXPECT_TRUE(ui.ExportButton->isEnabled());
    answerModalDialog("CancelButton");
    click(ui.ExportButton);
    EXPECT_EQ(modalTitles.size(), 1u);
    EXPECT_EQ(caption(), "Resume");
}

} // namespace
} // namespace brisk::test
