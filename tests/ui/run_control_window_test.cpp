// Start, Pause and Resume through the real window: the button's captions,
// which controls a run disables and enables, every item analysed once, the
// walk's order over subfolders, and invalid dates refused at Start.

#include "tests/ui/UiFixture.h"

#include <QTimer>

namespace brisk::test {
namespace {

class RunControlWindowTest : public WindowRunTest {
protected:
    struct Stage {
        std::string caption;
        Enabled enabled;
    };
    Stage stage() const { return {caption(), runControlsEnabled()}; }

    static void expectAllReadOnce(const MemoryFolder& folder)
    {
        ASSERT_EQ(folder.reads.size(), folder.items.size()) << folder.name();
        for (std::size_t i = 0; i < folder.reads.size(); ++i)
            EXPECT_EQ(folder.reads[i], 1) << folder.name() << " item " << i + 1;
    }
};

constexpr bool on = true;
constexpr bool off = false;

TEST_F(RunControlWindowTest, PauseInTheMiddleAndResumeAnalysesEveryItemOnce)
{
    sent.addItems(10);
    MemoryFolder& sub = sent.add("Sub").addItems(3, "sub");
    launch();
    std::vector<Stage> stages{stage()};
    sent.onRead = [&](long index) {
        if (index == 4) {
            stages.push_back(stage());
            clickStart(); // Pause, taking effect after item 4
        } else if (index == 7) {
            stages.push_back(stage());
        }
    };
    clickStart();
    stages.push_back(stage());
    EXPECT_EQ(window->app().analysis.lEmailsProcessed, 4);
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "4");
    clickStart(); // Resume
    stages.push_back(stage());

    // Export, Pick, "All Emails", "In period", From, To.
    const std::vector<std::pair<std::string, Enabled>> expected = {
        {"Start", {off, on, on, on, off, off}},     // ready: Results disabled as designed
        {"Pause", {off, off, off, off, off, off}},  // running
        {"Resume", {on, on, off, off, off, off}},   // paused
        {"Pause", {off, off, off, off, off, off}},  // resumed
        {"Start", {on, on, off, off, off, off}},    // ended: the options wait for a folder choice
    };
    ASSERT_EQ(stages.size(), expected.size());
    for (std::size_t i = 0; i < stages.size(); ++i) {
        EXPECT_EQ(stages[i].caption, expected[i].first) << "stage " << i;
        EXPECT_EQ(stages[i].enabled, expected[i].second) << "stage " << i;
    }
    expectAllReadOnce(sent);
    expectAllReadOnce(sub);
    EXPECT_EQ(window->app().analysis.lEmailsAnalysed, 13);
    EXPECT_EQ(shown(PanelBox::NumValidEmailsLabel), "(13 email messages found)");
    EXPECT_TRUE(ui.IgnoreDateFilterRadio->isChecked());
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start", "Pause", "Resume"}));
}

TEST_F(RunControlWindowTest, ResumeAfterTheLastItemOfAFolderGoesOnWithItsSubfolders)
{
    sent.addItems(3);
    MemoryFolder& sub = sent.add("Sub").addItems(2, "sub");
    launch();
    startAndPauseAt(3);
    ASSERT_EQ(caption(), "Resume");
    EXPECT_TRUE(sub.reads.empty());
    EXPECT_EQ(window->app().position.lastMessageIndexAnalysed, 3);

    sent.onRead = nullptr;
    clickStart();
    EXPECT_EQ(caption(), "Start");
    expectAllReadOnce(sent);
    expectAllReadOnce(sub);
    EXPECT_EQ(shown(PanelBox::CurtFolderLabel), "Sub");
    EXPECT_EQ(shown(PanelBox::CurtMsgLabel), "sub 2");
    EXPECT_EQ(window->app().analysis.lEmailsAnalysed, 5);
}

TEST_F(RunControlWindowTest, DeletedItemsIsSkippedWithItsSubtreeByExactName)
{
    sent.addItems(1);
    MemoryFolder& deleted = sent.add("Deleted Items").addItems(3, "deleted");
    MemoryFolder& inner = deleted.add("Inner").addItems(1, "inner");
    MemoryFolder& lower = sent.add("deleted items").addItems(2, "lower");
    MemoryFolder& below = sent.add("Empty").add("Below").addItems(1, "below");
    launch();
    clickStart();
    EXPECT_EQ(caption(), "Start");
    EXPECT_TRUE(deleted.reads.empty());
    EXPECT_TRUE(inner.reads.empty());
    expectAllReadOnce(lower);
    expectAllReadOnce(below);
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "4");
    EXPECT_EQ(shown(PanelBox::CurtMsgLabel), "below 1");
}

TEST_F(RunControlWindowTest, APauseClickTakesEffectWithinTheNextItem)
{
    sent.addItems(2000);
    launch();
    std::int32_t processedAtClick = -1;
    sent.onRead = [&](long index) {
        if (index != 1)
            return;
        // A click queued as the event loop's next event: it is served at the
        // first yield after it was posted, whatever the machine's speed.
        QTimer::singleShot(0, window.get(), [&] {
            processedAtClick = window->app().analysis.lEmailsProcessed;
            clickStart();
        });
    };
    clickStart();
    ASSERT_GE(processedAtClick, 1) << "the queued click was never served during the run";
    EXPECT_EQ(caption(), "Resume");
    EXPECT_LE(window->app().analysis.lEmailsProcessed - processedAtClick, 1);
    EXPECT_LT(window->app().analysis.lEmailsProcessed, 2000);
}

struct InvalidDateCase {
    const char* from;
    const char* to;
    bool periodSelected;
    bool fromIsFocused;
};

class InvalidDateAtStart : public RunControlWindowTest, public ::testing::WithParamInterface<InvalidDateCase> {};

// Both texts must be dates whether or not "In period" is selected; the focus
// can only move into a box that is enabled.
TEST_P(InvalidDateAtStart, IsRefusedWithAMessageAndTheFocusInTheBox)
{
    const InvalidDateCase& c = GetParam();
    sent.addItems(3);
    launch();
    prompts.focusThief = ui.HelpButton;
    if (c.periodSelected)
        click(ui.DateFilterRadio);
    // Set by the program: an edit by the user would already complain.
    ui.FromDatePickerText->setText(c.from);
    ui.ToDatePickerText->setText(c.to);
    const Enabled before = runControlsEnabled();
    clickStart();
    EXPECT_EQ(caption(), "Start");
    ASSERT_EQ(prompts.texts(), std::vector<std::string>{"Invalid date!"});
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_FALSE(prompts.shown[0].question);
    if (c.periodSelected) {
        QWidget* box = c.fromIsFocused ? ui.FromDatePickerText : ui.ToDatePickerText;
        EXPECT_EQ(QApplication::focusWidget(), box);
    }
    EXPECT_TRUE(sent.reads.empty());
    EXPECT_EQ(runControlsEnabled(), before);
    EXPECT_EQ(before, (Enabled{off, on, on, on, c.periodSelected, c.periodSelected}));
    // The click was logged before the dates were checked.
    EXPECT_EQ(logActions(), (std::vector<std::string>{"launch", "Start"}));
}

INSTANTIATE_TEST_SUITE_P(RunControlWindowTest, InvalidDateAtStart,
                         ::testing::Values(InvalidDateCase{"01/01/11", "31/13/11", true, false},
                                           InvalidDateCase{"32/01/11", "31/12/11", true, true},
                                           InvalidDateCase{"soon", "later", true, true},
                                           InvalidDateCase{"01/01/11", "31/13/11", false, false}));

} // namespace
} // namespace brisk::test
