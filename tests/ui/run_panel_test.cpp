// A known store fed through the real window: the value boxes, the top lists'
// lines, the count caption, the progress bar and the chart after the run.

#include "tests/ui/UiFixture.h"

namespace brisk::test {
namespace {

MemoryItem mail(const char* sender, std::vector<std::string> to, DateValue received, const char* subject,
                const char* body, std::int64_t size)
{
    MemoryItem item;
    item.sender = sender;
    item.recipients = std::move(to);
    item.receivedTime = received;
    item.subject = subject;
    item.body = body;
    item.size = size;
    return item;
}

// Four e-mails over 13 to 16 June 2011 (Monday to Thursday): two replies with
// response times of 60 and 120 minutes, three sent to one person, 13 words
// and 15 KB in all, Alice sending three, Bob first receiver of three.
void addKnownMails(MemoryFolder& folder)
{
    folder.addItem(mail("Alice", {"Bob"}, makeDate(2011, 6, 13, 9, 0, 0), "Plan", "one two three\r\n", 3000));
    folder.addItem(mail("Alice", {"Bob", "Carol"}, makeDate(2011, 6, 13, 15, 0, 0), "RE: Plan",
                        "ok fine\r\nFrom: Bob\r\nSent: 13 June 2011 14:00\r\n", 5000));
    folder.addItem(mail("Bob", {"Dave"}, makeDate(2011, 6, 15, 10, 0, 0), "Fw: report",
                        "see below\r\nFrom: Eve\r\nSent: 15 June 2011 08:00\r\n", 1000));
    folder.addItem(mail("Alice", {"Bob"}, makeDate(2011, 6, 16, 11, 0, 0), "Lunch", "a b c d e f\r\n", 6000));
}

using RunPanelTest = WindowRunTest;

TEST_F(RunPanelTest, AtRestTheBarIsHiddenAndNothingIsFound)
{
    addKnownMails(sent);
    launch();
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "0");
    EXPECT_EQ(shown(PanelBox::ProgressNumMaxLabel), "4");
    EXPECT_EQ(shown(PanelBox::PickedFolderLabel), "Sent Items");
    EXPECT_EQ(shown(PanelBox::CurtFolderLabel), "<none>");
    EXPECT_EQ(shown(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    EXPECT_FALSE(ui.ProgressBarLabel->isVisible());
    EXPECT_FALSE(ui.ProgressBarBackLabel->isVisible());
    EXPECT_EQ(ui.TopSendersCombo->count(), 0);
    EXPECT_EQ(ui.TopSendersCombo->currentText().toStdString(), "Top Senders List");
    EXPECT_EQ(ui.TopReceiversCombo->currentText().toStdString(), "Top Receivers List");
}

TEST_F(RunPanelTest, AfterARunThePanelShowsTheStoresFigures)
{
    addKnownMails(sent);
    launch();
    clickStart();
    ASSERT_EQ(caption(), "Start");
    const std::vector<std::pair<PanelBox, std::string>> expected = {
        {PanelBox::ProgressNumLabel, "4"},
        {PanelBox::ProgressNumMaxLabel, "4"},
        {PanelBox::DailyEmailsAvgLabel, "1"},   // 4 e-mails over 4 calendar days
        {PanelBox::DailyEmailsMaxLabel, "2"},   // two on 13 June
        {PanelBox::EmailLgtWordsLabel, "3"},    // 13 / 4 = 3.25
        {PanelBox::EmailSizeKBLabel, "4"},      // 15 / 4 = 3.75
        {PanelBox::ReAndFwdPercentLabel, "50"},
        {PanelBox::OneToOneEmailPCLabel, "75"},
        {PanelBox::MedianResponseHrLabel, "1"}, // median of 60 and 120: 90 minutes
        {PanelBox::MedianResponseMinLabel, "30"},
        {PanelBox::NumValidEmailsLabel, "(4 email messages found)"},
        {PanelBox::PickedFolderLabel, "Sent Items"},
        {PanelBox::CurtFolderLabel, "Sent Items"},
        {PanelBox::CurtMsgLabel, "Lunch"},
    };
    for (const auto& [box, text] : expected)
        EXPECT_EQ(shown(box), text) << panelBoxName(box);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RunPanelTest, AfterARunTheTopListsHoldNamesAndShares)
{
    addKnownMails(sent);
    launch();
    clickStart();
    EXPECT_EQ(comboLines(*ui.TopSendersCombo),
              (std::vector<std::string>{"Alice          |75%", "Bob            |25%"}));
    EXPECT_EQ(comboLines(*ui.TopReceiversCombo),
              (std::vector<std::string>{"Bob            |75%", "Dave           |25%"}));
    EXPECT_EQ(ui.TopSendersCombo->currentText().toStdString(), "Alice          |75%");
    EXPECT_EQ(ui.TopReceiversCombo->currentText().toStdString(), "Bob            |75%");
    EXPECT_TRUE(ui.TopSendersCombo->isEnabled());
}

TEST_F(RunPanelTest, TheTopListsHoldOnlyTheLinesOfTheLatestRefresh)
{
    addKnownMails(sent);
    launch();
    clickStart();
    ASSERT_EQ(ui.TopSendersCombo->count(), 2);

    // The same folder again with one sender and one receiver left.
    sent.items.resize(1);
    clickStart();
    EXPECT_EQ(comboLines(*ui.TopSendersCombo), std::vector<std::string>{"Alice          |100%"});
    EXPECT_EQ(comboLines(*ui.TopReceiversCombo), std::vector<std::string>{"Bob            |100%"});
    EXPECT_EQ(ui.TopSendersCombo->currentText().toStdString(), "Alice          |100%");

    // Nothing analysed: both lists end empty and show no text.
    sent.items[0].receivedTime = makeDate(1985, 1, 1, 12, 0, 0);
    clickStart();
    EXPECT_EQ(shown(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    EXPECT_EQ(ui.TopSendersCombo->count(), 0);
    EXPECT_EQ(ui.TopReceiversCombo->count(), 0);
    EXPECT_EQ(ui.TopSendersCombo->currentText().toStdString(), "");
    EXPECT_TRUE(ui.TopReceiversCombo->isEnabled());
}

TEST_F(RunPanelTest, AfterARunTheChartShowsTheWeekdayShares)
{
    addKnownMails(sent);
    launch();
    clickStart();
    // Monday 2, Wednesday 1, Thursday 1 of 4.
    EXPECT_EQ(window->SelectChartData(), (std::vector<double>{50, 0, 25, 25, 0, 0, 0}));
    click(ui.TimeOfDayOptionButton);
    const std::vector<double> hours = window->SelectChartData();
    ASSERT_EQ(hours.size(), 24u);
    EXPECT_EQ(hours[9], 25);  // 09:00 is hour bucket 10
    EXPECT_EQ(hours[15], 25); // 15:00
}

TEST_F(RunPanelTest, ProgressBarIsFullAtTheEndAndStaysInItsFrameWithSubfolders)
{
    sent.addItems(2);
    launch();
    clickStart();
    EXPECT_TRUE(ui.ProgressBarLabel->isVisible());
    EXPECT_TRUE(ui.ProgressBarBackLabel->isVisible());
    const int full = ui.ProgressBarBackLabel->width();
    EXPECT_NEAR(ui.ProgressBarLabel->width(), full, 1);

    // Subfolders count as processed but not in the picked folder's count:
    // four of two items still fill the bar's background only.
    sent.add("Sub").addItems(2, "sub");
    clickStart();
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "4");
    EXPECT_EQ(shown(PanelBox::ProgressNumMaxLabel), "2");
    EXPECT_NEAR(ui.ProgressBarLabel->width(), full, 1);
}

} // namespace
} // namespace brisk::test
