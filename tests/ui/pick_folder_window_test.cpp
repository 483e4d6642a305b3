// Folder choice through the real window: a pick while paused returns the
// window to a fresh start for the new folder; a cancelled pick changes
// nothing; each pick leaves a "folder" entry.

#include "tests/ui/UiFixture.h"

namespace brisk::test {
namespace {

class PickFolderWindowTest : public WindowRunTest {
protected:
    // Runs Sent Items and pauses it after its third item.
    void runAndPause()
    {
        startAndPauseAt(3);
        sent.onRead = nullptr;
        ASSERT_EQ(caption(), "Resume");
    }
    void pickWith(MailFolder* folder)
    {
        window->setFolderPicker([this, folder](MailStore& store, MailFolder* current, QWidget* parent) {
            ++pickerCalls;
            EXPECT_EQ(&store, &this->store);
            EXPECT_EQ(current, window->app().session.oPickedFolder);
            EXPECT_EQ(parent, window.get());
            return FolderPick{folder, nullptr};
        });
        click(ui.PickFolderButton);
    }

    // Everything a pick may change, as the user sees it.
    struct Snapshot {
        std::string caption;
        Enabled enabled;
        std::vector<std::string> boxes;
        std::vector<std::string> senders;
        std::vector<std::string> receivers;
        std::string sendersText;
        MailFolder* picked;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot()
    {
        Snapshot s{caption(), runControlsEnabled(), {}, comboLines(*ui.TopSendersCombo),
                   comboLines(*ui.TopReceiversCombo), ui.TopSendersCombo->currentText().toStdString(),
                   window->app().session.oPickedFolder};
        for (int i = 0; i < kPanelBoxCount; ++i)
            s.boxes.push_back(shown(static_cast<PanelBox>(i)));
        return s;
    }

    int pickerCalls = 0;
};

constexpr bool on = true;
constexpr bool off = false;

TEST_F(PickFolderWindowTest, PickWhilePausedStartsAfreshForTheNewFolder)
{
    sent.addItems(6);
    MemoryFolder& archive = store.top().add("Archive").addItems(5, "archived");
    launch();
    runAndPause();
    ASSERT_FALSE(comboLines(*ui.TopSendersCombo).empty());

    pickWith(&archive);
    EXPECT_EQ(pickerCalls, 1);
    EXPECT_EQ(caption(), "Start");
    EXPECT_EQ(runControlsEnabled(), (Enabled{on, on, on, on, off, off}));
    EXPECT_EQ(window->app().session.oPickedFolder, &archive);
    EXPECT_EQ(shown(PanelBox::PickedFolderLabel), "Archive");
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "0");
    EXPECT_EQ(shown(PanelBox::ProgressNumMaxLabel), "5");
    EXPECT_EQ(shown(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    EXPECT_EQ(shown(PanelBox::CurtMsgLabel), "<none>");
    EXPECT_EQ(shown(PanelBox::DailyEmailsAvgLabel), "0");
    EXPECT_FALSE(ui.ProgressBarLabel->isVisible());
    EXPECT_TRUE(comboLines(*ui.TopSendersCombo).empty());
    EXPECT_TRUE(comboLines(*ui.TopReceiversCombo).empty());
    EXPECT_EQ(ui.TopSendersCombo->currentText().toStdString(), "Top Senders List");
    EXPECT_EQ(window->SelectChartData(), std::vector<double>(7, 0.0));
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "Pause", "folder"}));

    // The next click starts a new run from the new folder's first item.
    clickStart();
    EXPECT_EQ(caption(), "Start");
    EXPECT_EQ(archive.reads, std::vector<int>(5, 1));
    EXPECT_EQ(sent.reads, (std::vector<int>{1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(shown(PanelBox::NumValidEmailsLabel), "(5 email messages found)");
    EXPECT_EQ(shown(PanelBox::CurtMsgLabel), "archived 5");
}

TEST_F(PickFolderWindowTest, ACancelledPickChangesNothing)
{
    sent.addItems(6);
    launch();
    runAndPause();
    const Snapshot before = snapshot();
    pickWith(nullptr);
    EXPECT_EQ(pickerCalls, 1);
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "Pause"}));
    // The paused run can still be resumed.
    clickStart();
    EXPECT_EQ(sent.reads, std::vector<int>(6, 1));
}

TEST_F(PickFolderWindowTest, PickingTheSameFolderStillClearsAndLogs)
{
    sent.addItems(4);
    launch();
    clickStart();
    ASSERT_EQ(shown(PanelBox::NumValidEmailsLabel), "(4 email messages found)");
    pickWith(&sent);
    EXPECT_EQ(shown(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "0");
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "folder"}));
}

TEST_F(PickFolderWindowTest, TheDateBoxesFollowTheSelectedOption)
{
    sent.addItems(4);
    launch();
    for (const auto& [radio, boxesEnabled] : {std::pair{ui.IgnoreDateFilterRadio, off}, std::pair{ui.DateFilterRadio, on}}) {
        click(radio);
        runAndPause();
        ASSERT_EQ(runControlsEnabled(), (Enabled{on, on, off, off, off, off}));
        pickWith(&sent);
        EXPECT_TRUE(radio->isChecked());
        EXPECT_EQ(runControlsEnabled(), (Enabled{on, on, on, on, boxesEnabled, boxesEnabled}))
            << radio->objectName().toStdString();
        sent.reads.clear();
    }
}

TEST_F(PickFolderWindowTest, TheAdministratorsPicksLeaveNoEntry)
{
    store.user = settings.AdminUserName;
    launch();
    pickWith(&sent);
    EXPECT_EQ(pickerCalls, 1);
    EXPECT_TRUE(sharedFiles().empty());
}

} // namespace
} // namespace brisk::test
