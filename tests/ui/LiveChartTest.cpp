// The chart routines without a window: modes, the readiness wait on the
// clock, the value column written, and the drawn axis's scale.

#include "platform/chart/LiveChart.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk::chart {
namespace {

using brisk::test::FakeClock;

// A clock whose application becomes ready after a number of polls.
class ReadyAfterPolls : public Clock {
public:
    ReadyAfterPolls(ChartApplication& app, int polls) : m_app(app), m_polls(polls) {}
    double now() override { return m_now; }
    void sleepFor(double seconds) override
    {
        m_now += seconds / 86400.0;
        if (++m_slept == m_polls)
            m_app.setReady(true);
    }
    int slept() const { return m_slept; }

private:
    ChartApplication& m_app;
    int m_polls;
    int m_slept = 0;
    double m_now = 45000.0;
};

std::vector<double> ramp(int n)
{
    std::vector<double> values;
    for (int i = 1; i <= n; ++i)
        values.push_back(i * 1.5);
    return values;
}

TEST(LiveChartModes, EachModeNamesItsTitleAndRanges)
{
    struct Case {
        ChartMode mode;
        const char* title;
        const char* source;
        const char* value;
        int count;
    };
    const Case cases[] = {
        {ChartMode::TimeOfDay, "%Emails in different hours", "C15:D38", "d15:d38", 24},
        {ChartMode::DayOfWeek, "%Emails on different days", "a15:b21", "B15:B21", 7},
        {ChartMode::MonthOfYear, "%Emails in different months", "e15:f26", "f15:f26", 12},
    };
    for (const auto& c : cases) {
        const ChartModeInfo& info = chartModeInfo(c.mode);
        EXPECT_STREQ(info.title, c.title);
        EXPECT_STREQ(info.sourceRange, c.source);
        EXPECT_STREQ(info.valueRange, c.value);
        EXPECT_EQ(info.bucketCount, c.count);
        EXPECT_EQ(zeroChartValues()(c.mode), std::vector<double>(static_cast<std::size_t>(c.count), 0.0));
    }
}

TEST(LiveChartModes, DayOfWeekWinsThenMonthElseTimeOfDay)
{
    EXPECT_EQ(chartModeOf(true, false), ChartMode::DayOfWeek);
    EXPECT_EQ(chartModeOf(true, true), ChartMode::DayOfWeek);
    EXPECT_EQ(chartModeOf(false, true), ChartMode::MonthOfYear);
    EXPECT_EQ(chartModeOf(false, false), ChartMode::TimeOfDay);
}

class LiveChartRoutines : public ::testing::Test {
protected:
    ChartWorkbook book;
    FakeClock clock{45000.0};
    LiveChart chart{clock};
    ChartValuesSource source = [](ChartMode mode) { return ramp(chartModeInfo(mode).bucketCount); };

    void SetUp() override { chart.bind(book.Parent(), book.ActiveSheet()); }
    CellValue cell(int row, int column) { return book.ActiveSheet().cell(row, column); }
};

TEST_F(LiveChartRoutines, SelectChartDataSetsTheValueRangeAndReturnsTheModesValues)
{
    EXPECT_EQ(chart.SelectChartData(ChartMode::MonthOfYear, source), ramp(12));
    EXPECT_EQ(chart.vChartValueRange, "f15:f26");
    EXPECT_EQ(chart.SelectChartData(ChartMode::TimeOfDay, source).size(), 24u);
    EXPECT_EQ(chart.vChartValueRange, "d15:d38");
}

TEST_F(LiveChartRoutines, WriteChartValuesFillsRowFourteenPlusIndex)
{
    chart.RefreshChart(ChartMode::TimeOfDay, source);
    EXPECT_EQ(cell(15, 4), CellValue{1.5}) << "D15 holds the hour 00-01";
    EXPECT_EQ(cell(38, 4), CellValue{36.0}) << "D38 holds the hour 23-24";
    EXPECT_EQ(cell(15, 2), CellValue{0.01}) << "the weekday column is untouched";
    EXPECT_EQ(cell(15, 3), CellValue{std::string("00-01")}) << "categories are never written";
}

TEST_F(LiveChartRoutines, ABusyApplicationTimesOutAfterThirtySecondsWritingNothing)
{
    book.Parent().setReady(false);
    const double start = clock.current;
    chart.SelectChartData(ChartMode::DayOfWeek, source);
    EXPECT_FALSE(chart.WriteChartValues(ramp(7)));
    const double waited = (clock.current - start) * 86400.0;
    EXPECT_GT(waited, 30.0);
    EXPECT_LT(waited, 30.2);
    EXPECT_EQ(cell(15, 2), CellValue{0.01});
    EXPECT_EQ(cell(21, 2), CellValue{0.07});
}

TEST_F(LiveChartRoutines, AnApplicationReadyWithinTheWaitIsWritten)
{
    book.Parent().setReady(false);
    ReadyAfterPolls slowClock(book.Parent(), 100);  // five seconds
    LiveChart slow(slowClock);
    slow.bind(book.Parent(), book.ActiveSheet());
    slow.SelectChartData(ChartMode::DayOfWeek, source);
    EXPECT_TRUE(slow.WriteChartValues(ramp(7)));
    EXPECT_EQ(slowClock.slept(), 100);
    EXPECT_EQ(cell(21, 2), CellValue{10.5});
}

TEST_F(LiveChartRoutines, SetChartSourceRebindsTheFirstChart)
{
    const Chart& bound = book.ActiveSheet().ChartObjects(1).Chart;
    chart.SetChartSource(ChartMode::MonthOfYear);
    EXPECT_EQ(bound.sourceData()->address().text(), "E15:F26");
    EXPECT_EQ(bound.seriesData().categories.front(), "JAN");
    chart.SetChartSource(ChartMode::TimeOfDay);
    EXPECT_EQ(bound.sourceData()->address().text(), "C15:D38");
}

TEST(LiveChartUnbound, RoutinesRefuseToRunWithoutHandles)
{
    FakeClock clock{45000.0};
    LiveChart chart(clock);
    EXPECT_FALSE(chart.isBound());
    EXPECT_THROW(chart.WriteChartValues({1}), std::logic_error);
    EXPECT_THROW(chart.SetChartSource(ChartMode::DayOfWeek), std::logic_error);
}

TEST(LiveChartAxis, WholeNumberTicksHoldEveryValue)
{
    struct Case {
        std::vector<double> values;
        double maximum, interval;
    };
    const Case cases[] = {
        {{}, 1, 1},
        {{0, 0, 0}, 1, 1},
        {{0.07}, 1, 1},
        {{3}, 3, 1},
        {{5}, 5, 1},
        {{5.2}, 6, 2},
        {{33.3, 33.3, 33.4}, 40, 10},
        {{50, 50}, 50, 10},
        {{100}, 100, 20},
        {{-5, 12}, 15, 5},
    };
    for (const auto& c : cases) {
        const AxisScale scale = wholeNumberAxis(c.values);
        EXPECT_EQ(scale.maximum, c.maximum) << ::testing::PrintToString(c.values);
        EXPECT_EQ(scale.tickInterval, c.interval) << ::testing::PrintToString(c.values);
    }
}

} // namespace
} // namespace brisk::chart
