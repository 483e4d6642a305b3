// Start-up and shutdown of the real window: the Report button for the
// administrator only, this launch's usage log named by the launch time, and
// the log of a whole use written through the window's buttons.

#include "tests/ui/UiFixture.h"

namespace brisk::test {
namespace {

using StartupWindowTest = WindowRunTest;

TEST_F(StartupWindowTest, StartUpTitlesTheWindowAndPicksSentItems)
{
    sent.addItems(3);
    EXPECT_EQ(window->windowTitle().toStdString(), "BRISK Vezoriv Rireviru");
    launch();
    EXPECT_EQ(window->windowTitle().toStdString(), "Brisk Vezoriv Rizovave");
    EXPECT_EQ(window->app().session.oPickedFolder, &sent);
    EXPECT_EQ(window->app().session.vUserName, "Test User");
    EXPECT_EQ(shown(PanelBox::PickedFolderLabel), "Sent Items");
    EXPECT_EQ(shown(PanelBox::ProgressNumMaxLabel), "3");
    EXPECT_EQ(caption(), "Start");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StartupWindowTest, AnOrdinaryUserGetsOneLogNamedByTheLaunchTime)
{
    launch();
    EXPECT_FALSE(ui.ReportButton->isVisible());
    EXPECT_EQ(sharedFiles(), std::vector<std::string>{"01-03-24 12-00-00 log.txt"});
    EXPECT_EQ(window->vLogFilePath(), settings.SharedOutputFolder + "01-03-24 12-00-00 log.txt");
    EXPECT_EQ(logLines(), std::vector<std::string>{"01-03-24 12:00:00,launch"});

    clock.advanceSeconds(65);
    window->close();
    EXPECT_EQ(sharedFiles(), std::vector<std::string>{"01-03-24 12-00-00 log.txt"});
    EXPECT_EQ(logLines(), (std::vector<std::string>{"01-03-24 12:00:00,launch", "01-03-24 12:01:05,end"}));
}

TEST_F(StartupWindowTest, TheAdministratorSeesReportAndLeavesNoLog)
{
    store.user = settings.AdminUserName;
    sent.addItems(2);
    launch();
    EXPECT_TRUE(ui.ReportButton->isVisible());
    clickStart();
    EXPECT_EQ(caption(), "Start");
    window->close();
    EXPECT_TRUE(window->vLogFilePath().empty());
    EXPECT_TRUE(sharedFiles().empty());
}

TEST_F(StartupWindowTest, TheAdministratorNameIsComparedExactly)
{
    store.user = "admin user";
    launch();
    EXPECT_FALSE(ui.ReportButton->isVisible());
    EXPECT_EQ(sharedFiles().size(), 1u);
}

TEST_F(StartupWindowTest, WithoutTheSharedFolderNothingIsLoggedOrSaid)
{
    settings.SharedOutputFolder = (shared / "missing").string() + "/";
    sent.addItems(2);
    launch();
    clickStart();
    window->close();
    EXPECT_TRUE(window->vLogFilePath().empty());
    EXPECT_TRUE(sharedFiles().empty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StartupWindowTest, AWholeUseLeavesSevenLinesInOrder)
{
    sent.addItems(6);
    launch();
    window->setFolderPicker([&](MailStore&, MailFolder*, QWidget*) { return FolderPick{&sent, nullptr}; });
    click(ui.PickFolderButton);
    clock.advanceSeconds(1);
    sent.onRead = [&](long index) {
        if (index == 3) {
            clock.advanceSeconds(1);
            clickStart(); // Pause
        }
    };
    clickStart();
    ASSERT_EQ(caption(), "Resume");
    sent.onRead = nullptr;
    clock.advanceSeconds(1);
    clickStart(); // Resume, to the end
    ASSERT_EQ(caption(), "Start");
    clock.advanceSeconds(1);
    answerModalDialog("CancelButton");
    click(ui.ExportButton);
    EXPECT_EQ(modalTitles.size(), 1u) << "the Results dialog was not shown";
    clock.advanceSeconds(1);
    window->close();

    const std::vector<std::string> expected = {
        "01-03-24 12:00:00,launch", "01-03-24 12:00:00,folder", "01-03-24 12:00:01,Start",
        "01-03-24 12:00:02,Pause",  "01-03-24 12:00:03,Resume", "01-03-24 12:00:04,results",
        "01-03-24 12:00:05,end",
    };
    EXPECT_EQ(logLines(), expected);
    EXPECT_TRUE(prompts.shown.empty());
}

} // namespace
} // namespace brisk::test
