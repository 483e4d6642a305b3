// The live chart in the window: the mode buttons write their value column,
// rebind the chart and title it; the drawing follows the cells, coalesced.

#include "tests/ui/UiFixture.h"
#include "ui/LiveChartView.h"

#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>
#include <QSignalSpy>
#include <QToolTip>
#include <QTest>

namespace brisk::test {
namespace {

using chart::CellValue;
using chart::ChartMode;

// Percentages with a different value in every bucket of every mode.
std::vector<double> percentages(ChartMode mode)
{
    const int base = mode == ChartMode::TimeOfDay ? 100 : mode == ChartMode::DayOfWeek ? 200 : 300;
    std::vector<double> values;
    for (int i = 1; i <= chart::chartModeInfo(mode).bucketCount; ++i)
        values.push_back(base + i + 0.25);
    return values;
}

class ChartModeTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        window->setChartValuesSource(percentages);
        window->show();
    }
    chart::ChartSheet& sheet() { return window->chartWorkbook().ActiveSheet(); }
    double number(int row, int column) { return chart::cellNumber(sheet().cell(row, column)); }
    QString boundRange()
    {
        return QString::fromStdString(sheet().ChartObjects(1).Chart.sourceData()->address().text());
    }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2)); }
};

TEST_F(ChartModeTest, StartUpShowsTheEmptyWeekdayChartUnderTheLayoutTitle)
{
    // The window was built with zero percentages, before SetUp plugged ours in.
    for (int row = 15; row <= 21; ++row)
        EXPECT_EQ(sheet().cell(row, 2), CellValue{0.0}) << "B" << row;
    EXPECT_EQ(boundRange(), "A15:B21");
    EXPECT_EQ(ui.ChartTitleLabel->text(), "% Emails during different days");
    window->chartView().redrawNow();
    EXPECT_EQ(window->chartView().barSet()->count(), 7);
    EXPECT_EQ(window->chartView().categoryAxis()->categories().first(), "MON");
}

TEST_F(ChartModeTest, EachModeButtonWritesItsColumnRebindsAndTitles)
{
    struct Case {
        QRadioButton* button;
        ChartMode mode;
        int column;
        const char* range;
        const char* title;
    };
    const Case cases[] = {
        {ui.TimeOfDayOptionButton, ChartMode::TimeOfDay, 4, "C15:D38", "%Emails in different hours"},
        {ui.MonthOfYearOptionButton, ChartMode::MonthOfYear, 6, "E15:F26", "%Emails in different months"},
        {ui.DayOfWeekOptionButton, ChartMode::DayOfWeek, 2, "A15:B21", "%Emails on different days"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        click(c.button);
        EXPECT_TRUE(c.button->isChecked());
        EXPECT_EQ(ui.ChartTitleLabel->text(), c.title);
        EXPECT_EQ(boundRange(), c.range);
        EXPECT_EQ(window->liveChart().vChartValueRange, chart::chartModeInfo(c.mode).valueRange);
        const std::vector<double> expected = percentages(c.mode);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(number(15 + static_cast<int>(i), c.column), expected[i]) << "row " << 15 + i;
    }
}

TEST_F(ChartModeTest, OtherColumnsKeepWhatTheyLastReceived)
{
    click(ui.MonthOfYearOptionButton);
    window->setChartValuesSource([](ChartMode mode) {
        return std::vector<double>(static_cast<std::size_t>(chart::chartModeInfo(mode).bucketCount), 1.0);
    });
    click(ui.DayOfWeekOptionButton);
    EXPECT_EQ(number(15, 2), 1.0);
    EXPECT_EQ(number(15, 6), 301.25) << "January keeps the month click's value";
    EXPECT_EQ(number(26, 6), 312.25);
    EXPECT_EQ(number(15, 4), 0.0) << "the hour column was never written";
}

TEST_F(ChartModeTest, ARefreshWritesOnlyTheSelectedModesColumn)
{
    window->RefreshChart();
    EXPECT_EQ(number(21, 2), 207.25);
    EXPECT_EQ(number(38, 4), 0.0);
    EXPECT_EQ(number(26, 6), 0.0);
    EXPECT_EQ(ui.ChartTitleLabel->text(), "% Emails during different days") << "a refresh does not retitle";
}

TEST_F(ChartModeTest, ABusyChartApplicationTimesOutAndWritesNothing)
{
    window->chartWorkbook().Parent().setReady(false);
    const double start = clock.current;
    const std::vector<double> values = window->SelectChartData();
    EXPECT_FALSE(window->WriteChartValues(values));
    EXPECT_GE((clock.current - start) * 86400.0, 30.0);
    EXPECT_EQ(number(15, 2), 0.0);
    // A mode switch still retitles and rebinds; its write times out as well.
    click(ui.TimeOfDayOptionButton);
    EXPECT_EQ(boundRange(), "C15:D38");
    EXPECT_EQ(number(15, 4), 0.0);
}

TEST_F(ChartModeTest, TheBarSetFollowsTheBoundCells)
{
    LiveChartView& view = window->chartView();
    QBarSet* set = view.barSet();
    click(ui.TimeOfDayOptionButton);
    view.redrawNow();
    EXPECT_EQ(view.barSet(), set) << "the bar set is updated in place";
    ASSERT_EQ(set->count(), 24);
    EXPECT_EQ(set->at(0), 101.25);
    EXPECT_EQ(set->at(23), 124.25);
    EXPECT_EQ(view.categoryAxis()->categories().value(9), "09-10");
    EXPECT_EQ(view.valueAxis()->labelFormat(), "%d");
    EXPECT_GE(view.valueAxis()->max(), 124.25);
    EXPECT_TRUE(view.valueAxis()->isGridLineVisible());

    sheet().Range("D20").setValue(CellValue{7.0});
    view.redrawNow();
    EXPECT_EQ(set->at(5), 7.0);
    click(ui.MonthOfYearOptionButton);
    view.redrawNow();
    EXPECT_EQ(set->count(), 12);
    EXPECT_EQ(view.categoryAxis()->categories().last(), "DEC");
}

TEST_F(ChartModeTest, CategoryLabelsFitTheirColumnsInEveryModeAndABarTellsItsValue)
{
    LiveChartView& view = window->chartView();
    struct Case {
        QRadioButton* button;
        const char* cell;
        int index;
        const char* tip;
    };
    const Case cases[] = {{ui.TimeOfDayOptionButton, "D20", 5, "05-06: 7%"},
                          {ui.DayOfWeekOptionButton, "B15", 0, "MON: 12.5%"},
                          {ui.MonthOfYearOptionButton, "F26", 11, "DEC: 0.3%"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tip);
        click(c.button);
        sheet().Range(c.cell).setValue(CellValue{c.index == 0 ? 12.5 : c.index == 5 ? 7.0 : 0.25});
        view.redrawNow();
        QApplication::processEvents();
        // Every label whole, below the columns, inside the chart, clear of its neighbours.
        const QList<QRectF> labels = view.categoryLabelRects();
        ASSERT_EQ(labels.size(), view.barSet()->count());
        const QRectF plot = ui.BRISKChartOLE->chart()->plotArea();
        for (int i = 0; i < labels.size(); ++i) {
            EXPECT_GE(labels[i].top(), plot.bottom()) << i;
            EXPECT_TRUE(QRectF(QPointF(0, 0), ui.BRISKChartOLE->size()).contains(labels[i])) << i;
            EXPECT_LE(i > 0 ? labels[i - 1].right() : 0.0, labels[i].left()) << i;
        }
        EXPECT_EQ(view.barToolTip(c.index), c.tip);
        emit view.barSet()->hovered(true, c.index);
        EXPECT_EQ(QToolTip::text(), c.tip);
    }
    EXPECT_EQ(view.barToolTip(12), "") << "no such bar";
}

TEST_F(ChartModeTest, ManyWritesCoalesceIntoOneRedraw)
{
    LiveChartView& view = window->chartView();
    view.redrawNow();
    const int before = view.redrawCount();
    for (int i = 1; i <= 500; ++i)
        sheet().Range("B15").setValue(CellValue{static_cast<double>(i)});
    EXPECT_EQ(view.redrawCount(), before) << "writes only mark the drawing dirty";
    EXPECT_TRUE(view.redrawPending());
    QTRY_VERIFY_WITH_TIMEOUT(!view.redrawPending(), 5000);
    EXPECT_EQ(view.redrawCount(), before + 1);
    EXPECT_EQ(view.barSet()->at(0), 500.0);
    sheet().Range("D15").setValue(CellValue{9.0});
    EXPECT_FALSE(view.redrawPending()) << "cells outside the bound range are not drawn";
}

} // namespace
} // namespace brisk::test
