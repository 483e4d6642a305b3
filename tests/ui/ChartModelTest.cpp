// The live chart's model, without a widget: which distribution each mode
// shows under which labels, the columns kept per mode, what makes the view
// redraw, the hover text and the value axis.

#include "ui/chart/ChartModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

namespace brisk::chart {
namespace {

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

// The hover text tells a column's label and value; the value axis holds
// every column in at most five whole steps.
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
} // namespace brisk::chart
