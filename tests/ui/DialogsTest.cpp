// The dialogs beside the main window (the Results dialog's answers, the
// folder picker's "Open Store...") and the design metrics every window uses;
// the live chart's model, without a widget: which distribution each mode
// shows under which labels, the columns kept per mode, what makes the view
// redraw, the hover text and the value axis.

#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"
#include "ui/DesignMetrics.h"
#include "ui/FolderPickerDialog.h"
#include "ui/ResultsDialog.h"
#include "ui/chart/ChartModel.h"
#include "ui_ResultsDialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

namespace brisk::test {
namespace {

using namespace brisk::chart;

// OK (and Enter, OK being the default) leaves "not cancelled"; Cancel, Escape
// and the close box "cancelled", the check boxes keeping their state.
TEST(ResultsDialog, OkAndEnterAnswerNotCancelledCancelAndEscapeCancelled)
{
    ResultsDialog dialog;
    Ui::ResultsDialog& ui = dialog.form();
    const std::pair<std::function<void()>, bool> answers[] = {
        {[&] { QTest::mouseClick(ui.OKButton, Qt::LeftButton); }, false},
        {[&] { QTest::keyClick(ui.CopyFileToServerCheckbox, Qt::Key_Return); }, false},
        {[&] { QTest::mouseClick(ui.CancelButton, Qt::LeftButton); }, true},
        {[&] { QTest::keyClick(&dialog, Qt::Key_Escape); }, true},
        {[&] { dialog.close(); }, true},
    };
    for (const auto& [answer, cancelled] : answers) {
        dialog.vResultsDialogCancelled = !cancelled;
        dialog.show();
        ui.CopyFileToServerCheckbox->setFocus();
        ui.MakeResultsAnonymousCheckbox->setChecked(true);
        answer();
        EXPECT_EQ(dialog.vResultsDialogCancelled, cancelled);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(ui.MakeResultsAnonymousCheckbox->isChecked());
    }
}

TEST(StoreChooser, OpenStoreTakesAMailboxFileOrAFolderButNothingMissing)
{
    TempDir dir;
    writeFile(dir / "Archive",
              "From a@example.com Thu Jan  1 00:00:00 2015\nFrom: a@example.com\nSubject: one\n"
              "Date: Thu, 1 Jan 2015 00:00:00 +0000\n\nbody\n");
    std::filesystem::create_directories(dir / "Maildir" / "cur");
    const QString start = QString::fromStdString(dir.path().string());
    for (const QString& wanted : {start + "/Archive", start + "/Maildir", start + "/no-such-store"}) {
        const bool exists = !wanted.endsWith("store");
        const QString chosen = chooseStorePath(nullptr, start, [&](QFileDialog& dialog) {
            dialog.selectFile(wanted);
            static_cast<QDialog&>(dialog).accept(); // Open
            EXPECT_EQ(dialog.isVisible(), !exists) << "a missing store is not taken";
            if (!exists)
                dialog.reject();
        });
        EXPECT_EQ(chosen, exists ? wanted : QString());
    }
    MemoryStore store;
    FolderPickerDialog picker(store, nullptr);
    ASSERT_TRUE(picker.openStore(start + "/Archive"));
    ASSERT_EQ(picker.tree().topLevelItemCount(), 1);
    EXPECT_EQ(picker.tree().topLevelItem(0)->text(1), "1") << "the mbox file's one message";
}

// Controls inside frames scale with them.
TEST(DesignMetrics, MissingFontsFallBackToTheSameKindAndScalingMovesEveryControl)
{
    for (const char* family : {"Tahoma", "MS Sans Serif", "Courier New", "Lucida Console"})
        EXPECT_EQ(QFontDatabase::isFixedPitch(installedFamily(family)), family[0] == 'C' || family[0] == 'L') << family;
    const QString installedOne = QFontDatabase::families().value(0);
    EXPECT_EQ(installedFamily(installedOne), installedOne) << "an installed family is kept";

    QWidget root;
    root.resize(200, 100);
    auto* frame = new QGroupBox("Frame", &root);
    auto* inner = new QLineEdit(frame);
    auto* combo = new QComboBox(&root);
    frame->setGeometry(8, 16, 100, 60);
    inner->setGeometry(8, 24, 41, 19);
    combo->setGeometry(110, 10, 80, 22);
    scaleDesign(root, 1.5);
    EXPECT_EQ((std::array{root.size(), root.minimumSize(), root.maximumSize()}),
              (std::array{QSize(300, 150), QSize(300, 150), QSize(300, 150)}));
    EXPECT_EQ((std::array{frame->geometry(), inner->geometry(), combo->geometry()}),
              (std::array{QRect(12, 24, 150, 90), QRect(12, 36, 62, 29), QRect(165, 15, 120, 33)}));
}

TEST(ChartModel, EachModeShowsItsDistributionUnderItsLabels)
{
    AnalysisState state;
    state.vHourPercent(10) = 25;   // 09-10
    state.vWeekdayPercent(7) = 40; // Sunday
    state.vMonthPercent(1) = 60;   // January
    // The columns, the first and last labels, the column set and its value.
    const std::tuple<ChartMode, std::size_t, const char*, const char*, std::size_t, double> cases[] = {
        {ChartMode::TimeOfDay, 24, "00-01", "23-24", 9, 25},
        {ChartMode::DayOfWeek, 7, "MON", "SUN", 6, 40},
        {ChartMode::MonthOfYear, 12, "JAN", "DEC", 0, 60}};
    for (const auto& [mode, columns, first, last, set, value] : cases) {
        const std::vector<double> values = chartPercentages(state, mode);
        ASSERT_EQ(values.size(), columns);
        ASSERT_EQ(chartCategories(mode).size(), columns);
        EXPECT_EQ(chartCategories(mode).front() + chartCategories(mode).back(), std::string(first) + last);
        EXPECT_EQ(values[set], value) << first;
        EXPECT_EQ(std::count(values.begin(), values.end(), 0.0), static_cast<long>(columns - 1)) << first;
    }
    // Day of week wins, then month of year, else time of day.
    EXPECT_EQ((std::array{chartModeOf(true, true), chartModeOf(false, true), chartModeOf(false, false)}),
              (std::array{ChartMode::DayOfWeek, ChartMode::MonthOfYear, ChartMode::TimeOfDay}));
}

TEST(ChartModel, WritesGoToTheSelectedColumnAndOnlyTheShownOneRedraws)
{
    ChartModel model;
    EXPECT_EQ(model.shownMode(), ChartMode::DayOfWeek);
    EXPECT_EQ(model.shownValues(), std::vector<double>(7, 0.0));
    const auto start = model.revision();

    model.selectValues(ChartMode::MonthOfYear);
    model.writeValues(std::vector<double>(12, 5.0));
    EXPECT_EQ(model.revision(), start) << "a column not shown is not drawn";
    model.showMode(ChartMode::MonthOfYear);
    EXPECT_EQ(model.revision(), start + 1);
    EXPECT_EQ(model.shownValues(), std::vector<double>(12, 5.0)) << "the column keeps what it last received";
    EXPECT_EQ(model.values(ChartMode::DayOfWeek), std::vector<double>(7, 0.0));

    model.writeValues(std::vector<double>(12, 5.0));
    EXPECT_EQ(model.revision(), start + 1) << "the same values again change nothing";
    model.writeValues({50, 50});
    EXPECT_EQ(model.revision(), start + 2);
    EXPECT_EQ(model.shownValues().size(), 12u) << "one value per column";
    EXPECT_EQ(model.shownValues()[11], 0.0);
    model.showMode(ChartMode::MonthOfYear);
    EXPECT_EQ(model.revision(), start + 2);
}

TEST(ChartModel, AHoveredColumnTellsItsLabelAndValueAndTheAxisHoldsEveryColumn)
{
    ChartModel model;
    model.writeValues({12.5, 7, 0.25, 100.0 / 3});
    const char* tips[] = {"", "MON: 12.5%", "TUE: 7%", "WED: 0.3%", "THU: 33.3%", "FRI: 0%", "SAT: 0%", "SUN: 0%", ""};
    for (int column = -1; column <= 7; ++column)
        EXPECT_EQ(model.barToolTip(column), tips[column + 1]) << column;
    EXPECT_EQ(model.axis(), (AxisScale{40, 10}));
    const std::pair<std::vector<double>, AxisScale> cases[] = {
        {{}, {1, 1}},       {{0.07}, {1, 1}},    {{5}, {5, 1}}, {{5.2}, {6, 2}}, {{33.3, 33.4}, {40, 10}},
        {{100}, {100, 20}}, {{-5, 12}, {15, 5}},
    };
    for (const auto& [values, expected] : cases)
        EXPECT_EQ(wholeNumberAxis(values), expected) << ::testing::PrintToString(values);
}

} // namespace
} // namespace brisk::test
