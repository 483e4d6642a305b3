// The main window's handlers, clicked as a user would; the scenarios behind
// them are tested without a window elsewhere.

#include "tests/support/ScopedEnv.h"
#include "tests/ui/UiFixture.h"
#include "export/ExportWorkflow.h"
#include "ui/HelpDialog.h"
#include "ui/chart/LiveChartView.h"
#include "ui_HelpDialog.h"

#include <QClipboard>
#include <QSignalSpy>
#include <QToolTip>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>

namespace brisk::test {
namespace {

constexpr bool on = true;
constexpr bool off = false;
using Lines = std::vector<std::string>;

TEST_F(MainWindowTest, FormInitializeShowsTheIdleWindowForSentItemsAndLogsTheLaunch)
{
    store.user = "admin user"; // not the administrator: names compare exactly
    sent.addItems(3);
    launch();
    EXPECT_FALSE(ui.ReportButton->isVisible() || ui.ProgressBarLabel->isVisible());
    EXPECT_EQ(enabled(), (Enabled{off, on, on, on, off, off}));
    EXPECT_EQ(texts({PanelBox::PickedFolderLabel, PanelBox::ProgressNumMaxLabel, PanelBox::NumValidEmailsLabel}),
              (Lines{"Start", "Top Senders List", "Sent Items", "3", "(0 email messages found)"}));
    EXPECT_EQ((window->windowTitle() + "|" + ui.ChartTitleLabel->text()).toStdString(),
              "Brisk Vezoriv Rizovave|% Emails during different days") << "the chart not retitled";
    EXPECT_EQ(std::tuple(window->chartView().barSet()->count(), logActions(), prompts.texts()),
              std::tuple(7, Lines{"launch"}, Lines{}));
}

TEST_F(MainWindowTest, StartRunsAQueuedPauseStopsAndResumeEndsWithEveryFigureShown)
{
    // Four e-mails on Monday 13, Wednesday 15 and Thursday 16 June 2011.
    sent.addItem({.receivedTime = makeDate(2011, 6, 13, 9), .subject = "Plan"})
        .addItem({.receivedTime = makeDate(2011, 6, 13, 15), .subject = "RE: Plan",
                  .recipients = {"Bob", "Carol"}})
        .addItem({.receivedTime = makeDate(2011, 6, 15, 10), .subject = "Fw: report", .recipients = {"Dave"},
                  .sender = "Bob"})
        .addItem({.receivedTime = makeDate(2011, 6, 16, 11), .subject = "Lunch"});
    // Processed but outside the date window: the bar still ends in its frame.
    sent.add("Old").addItem({.receivedTime = makeDate(1985, 1, 1, 12), .subject = "old"});
    launch();
    std::vector<std::pair<std::string, Enabled>> stages;
    sent.onRead = [&](long index) {
        if (index != 2)
            return;
        stages.emplace_back(caption(), enabled());
        // Served by the window's yield after item 2, as a real click would be.
        QTimer::singleShot(0, window.get(), [this] { clickStart(); });
    };
    clickStart();
    stages.emplace_back(caption(), enabled());
    EXPECT_EQ(shown(PanelBox::ProgressNumLabel), "2");
    sent.onRead = nullptr;
    clickStart();
    stages.emplace_back(caption(), enabled());
    const decltype(stages) expected = {{"Pause", {off, off, off, off, off, off}},
                                       {"Resume", {on, on, off, off, off, off}},
                                       {"Start", {on, on, off, off, off, off}}};
    EXPECT_EQ(stages, expected);

    EXPECT_EQ(texts({PanelBox::ProgressNumLabel, PanelBox::ProgressNumMaxLabel, PanelBox::CurtFolderLabel,
                     PanelBox::CurtMsgLabel, PanelBox::NumValidEmailsLabel}),
              (Lines{"Start", "Alice          |75%", "5", "4", "Old", "old", "(4 email messages found)"}));
    EXPECT_EQ(lines(*ui.TopSendersCombo), (Lines{"Alice          |75%", "Bob            |25%"}));
    EXPECT_EQ(lines(*ui.TopReceiversCombo), (Lines{"Bob            |75%", "Dave           |25%"}));
    EXPECT_EQ(window->chartModel().shownValues(), (std::vector<double>{50, 0, 25, 25, 0, 0, 0}));
    EXPECT_TRUE(ui.ProgressBarLabel->isVisible());
    EXPECT_NEAR(ui.ProgressBarLabel->width(), ui.ProgressBarBackLabel->width(), 1) << "5 of 4 stays in the frame";
    EXPECT_EQ(logActions(), (Lines{"launch", "Start", "Pause", "Resume"}));
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());

    // The same folder again with nothing analysed: the lists end empty.
    sent.items = {{.receivedTime = makeDate(1985, 1, 1, 12)}};
    clickStart();
    EXPECT_EQ(std::tuple(lines(*ui.TopSendersCombo), ui.TopReceiversCombo->currentText().toStdString(),
                         ui.TopReceiversCombo->isEnabled()),
              std::tuple(Lines{}, "", true));
}

TEST_F(MainWindowTest, CloseDuringARunAsksAndYesEndsAfterTheItemWithTheEndEntry)
{
    sent.addItems(10);
    launch();
    prompts.answers = {true};
    sent.onRead = [&](long index) {
        if (index == 5)
            window->close();
    };
    clickStart();
    EXPECT_EQ(prompts.texts(), Lines{"Analysis is running. Sure to exit?"});
    EXPECT_TRUE(window->terminated() && !window->isVisible());
    EXPECT_EQ(std::tuple(state.analysis.lEmailsProcessed, logActions()),
              std::tuple(5, Lines{"launch", "Start", "end"}));
    window->close();
    EXPECT_EQ(prompts.shown.size(), 1u) << "shutdown asks nothing more";
}

TEST_F(MainWindowTest, PickWhilePausedStartsAfreshForTheChosenFolderAndACancelChangesNothing)
{
    sent.addItems(6);
    MemoryFolder& archive = store.top().add("Archive").addItems(5, "archived");
    launch();
    click(ui.DateFilterRadio);
    sent.onRead = [&](long index) {
        if (index == 3)
            clickStart();
    };
    clickStart();
    sent.onRead = nullptr;
    MailFolder* choice = nullptr;
    window->setFolderPicker([&](MailStore& from, MailFolder* current, QWidget* parent) {
        EXPECT_TRUE(&from == &store && current == state.session.oPickedFolder && parent == window.get());
        return FolderPick{choice, nullptr};
    });
    click(ui.PickFolderButton);
    EXPECT_EQ((Lines{caption(), shown(PanelBox::ProgressNumLabel)}), (Lines{"Resume", "3"}));
    EXPECT_EQ(logActions(), (Lines{"launch", "Start", "Pause"}));

    choice = &archive;
    click(ui.PickFolderButton);
    EXPECT_EQ(enabled(), (Enabled{on, on, on, on, on, on})) << "\"In period\" is still selected";
    EXPECT_EQ(texts({PanelBox::PickedFolderLabel, PanelBox::ProgressNumLabel, PanelBox::ProgressNumMaxLabel}),
              (Lines{"Start", "Top Senders List", "Archive", "0", "5"}));
    EXPECT_FALSE(ui.ProgressBarLabel->isVisible());
    EXPECT_TRUE(lines(*ui.TopSendersCombo).empty());
    EXPECT_EQ(window->chartModel().shownValues(), std::vector<double>(7, 0.0));
    EXPECT_EQ(logActions(), (Lines{"launch", "Start", "Pause", "folder"}));
    clickStart();
    EXPECT_EQ(archive.reads, std::vector<int>(5, 1));
    EXPECT_EQ(sent.reads, (std::vector<int>{1, 1, 1, 0, 0, 0}));
}

TEST_F(MainWindowTest, ResultsOkSavesTheResultsFileBesideTheProgramAndOpensIt)
{
    const auto source = buildDir() / "app" / kTemplateFileName;
    std::filesystem::copy_file(source, appFolder / kTemplateFileName);
    sent.addItems(5);
    launch();
    clickStart();
    int answered = 0;
    onModalDialog([&](QWidget& dialog) {
        ++answered;
        click(dialog.findChild<QAbstractButton*>("OKButton"));
    });
    click(ui.ExportButton);
    EXPECT_EQ(answered, 1);
    ASSERT_TRUE(window->lastResultsFile()) << ::testing::PrintToString(prompts.texts());
    const auto file = *window->lastResultsFile();
    EXPECT_EQ(file.parent_path(), appFolder.path());
    EXPECT_EQ(file.filename().string().rfind("Brisk Vezoriv Rizovave Output, Test User, Sent Items", 0), 0u);
    EXPECT_EQ(desktop.files, std::vector<std::filesystem::path>{file});
    EXPECT_EQ(logActions(), (Lines{"launch", "Start", "results"}));
}

TEST_F(MainWindowTest, TheAdministratorsReportButtonOpensTheUsageReportInTheEditor)
{
    TempDir home;
    ScopedEnv homeEnv("HOME", home.path().string());
    ScopedEnv configEnv("XDG_CONFIG_HOME", std::nullopt);
    store.user = settings.AdminUserName;
    launch();
    ASSERT_TRUE(ui.ReportButton->isVisible());
    click(ui.ReportButton);
    ASSERT_EQ(desktop.textFiles.size(), 1u) << ::testing::PrintToString(prompts.texts());
    EXPECT_EQ(desktop.textFiles[0].parent_path(), home / "Documents");
    EXPECT_EQ(desktop.textFiles[0].filename().string().rfind("BMAusageAsOn", 0), 0u);
    EXPECT_TRUE(window->vLogFilePath().empty()) << "the administrator leaves no log";
}

TEST_F(MainWindowTest, EachChartModeButtonTitlesAndDrawsItsDistributionWithWholeLabels)
{
    sent.addItems(2); // Wednesday 15 June 2011, 09:00 and 10:00
    launch();
    clickStart();
    LiveChartView& view = window->chartView();
    // The button, the chart's title, its columns, a hovered column and its tip.
    const std::tuple<QRadioButton*, const char*, int, int, const char*> cases[] = {
        {ui.TimeOfDayOptionButton, "%Emails in different hours", 24, 9, "09-10: 50%"},
        {ui.MonthOfYearOptionButton, "%Emails in different months", 12, 5, "JUN: 100%"},
        {ui.DayOfWeekOptionButton, "%Emails on different days", 7, 2, "WED: 100%"}};
    for (const auto& [button, title, columns, hovered, tip] : cases) {
        click(button);
        EXPECT_EQ(ui.ChartTitleLabel->text().toStdString(), title);
        ASSERT_EQ(view.barSet()->count(), columns) << title;
        EXPECT_EQ(view.categoryAxis()->categories().size(), columns);
        QApplication::processEvents();
        const QList<QRectF> labels = view.categoryLabelRects();
        ASSERT_EQ(labels.size(), columns);
        const QRectF plot = ui.BRISKChartOLE->chart()->plotArea();
        for (int i = 0; i < labels.size(); ++i) {
            EXPECT_GE(labels[i].top(), plot.bottom()) << title << i;
            EXPECT_TRUE(QRectF(QPointF(0, 0), ui.BRISKChartOLE->size()).contains(labels[i])) << title << i;
            EXPECT_LE(i > 0 ? labels[i - 1].right() : 0.0, labels[i].left()) << title << i;
        }
        emit view.barSet()->hovered(true, hovered);
        EXPECT_EQ(QToolTip::text().toStdString(), tip);
    }
}

TEST_F(MainWindowTest, TheDateOptionsSwitchTheBoxesAndOnlyTheUsersNonDatesComplain)
{
    launch();
    prompts.focusThief = ui.HelpButton;
    click(ui.DateFilterRadio);
    EXPECT_EQ(enabled(), (Enabled{off, on, on, on, on, on}));
    ui.FromDatePickerText->setText("not a date");
    EXPECT_TRUE(prompts.shown.empty()) << "the program's own texts never complain";
    for (QLineEdit* box : {ui.FromDatePickerText, ui.ToDatePickerText}) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, "x");
        EXPECT_EQ(QApplication::focusWidget(), box) << "the focus returns to the box";
        box->selectAll();
        QApplication::clipboard()->setText("15/06/09");
        QTest::keySequence(box, QKeySequence::Paste);
    }
    EXPECT_EQ(prompts.texts(), (Lines{"Invalid date!", "Invalid date!"}));
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    click(ui.IgnoreDateFilterRadio);
    EXPECT_EQ(enabled(), (Enabled{off, on, on, on, off, off}));
    EXPECT_EQ(ui.ToDatePickerText->text().toStdString(), "15/06/09") << "the texts are kept";
    click(ui.DateFilterRadio);
    QSignalSpy started(ui.StartButton, &QPushButton::clicked);
    QTest::keyClick(ui.ToDatePickerText, Qt::Key_Return);
    EXPECT_EQ(started.count(), 1) << "Enter in a box presses Start";
    EXPECT_EQ(ui.TopSendersCombo->currentText().toStdString(), "") << "a run that found nothing shows no text";
}

// The text box shows the help text's lines without the carriage returns
// that join them; the button opens the home page, the link the other page.
TEST_F(MainWindowTest, HelpShowsAFreshModalDialogEachTimeThatOpensTheTwoPages)
{
    launch();
    for (int opening = 1; opening <= 2; ++opening) {
        int lineCount = 0;
        onModalDialog([&](QWidget& modal) {
            auto* dialog = qobject_cast<HelpDialog*>(&modal);
            if (dialog != nullptr && dialog->parentWidget() == window.get()) {
                Ui::HelpDialog& help = dialog->form();
                lineCount = help.MainHelpText->document()->blockCount();
                EXPECT_FALSE(help.MainHelpText->toPlainText().contains('\r'));
                EXPECT_TRUE(help.MainHelpText->isReadOnly());
                EXPECT_EQ(help.OnlineHelpText->text(), "https://home.example.test/");
                QTest::mouseClick(help.OnlineHelpButton, Qt::LeftButton);
                QTest::mouseClick(help.OnlineHelpText, Qt::LeftButton);
            }
            modal.close();
        });
        click(ui.HelpButton);
        EXPECT_EQ(lineCount, 11) << "opening " << opening;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window->findChild<HelpDialog*>(), nullptr) << "closing unloads the dialog";
    }
    EXPECT_EQ(desktop.urls, (Lines{"https://home.example.test/", "https://home.example.test/how",
                                   "https://home.example.test/", "https://home.example.test/how"}));
}

} // namespace
} // namespace brisk::test
