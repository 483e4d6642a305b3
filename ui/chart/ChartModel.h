#pragma once
// What the live chart shows, without Qt: the three distributions of the
// analysis (hours, weekdays, months) as one column series each, their
// category labels and titles, which one is shown, and a value axis that
// holds every column. The window writes the selected mode's percentages into
// it after every refresh of the panel; the view draws whatever it holds.

#include "engine/AnalysisState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brisk::chart {

enum class ChartMode { TimeOfDay, DayOfWeek, MonthOfYear };
inline constexpr int kChartModeCount = 3;

// Day of week when its button is on, else month of year when its button is
// on, else time of day.
ChartMode chartModeOf(bool dayOfWeekOn, bool monthOfYearOn);

// The title label's text in a mode.
const char* chartTitle(ChartMode mode);
// The columns' labels: "00-01" to "23-24", "MON" to "SUN", "JAN" to "DEC".
const std::vector<std::string>& chartCategories(ChartMode mode);

// The percentages of a mode's distribution, element 0 being bucket 1 (the
// hour 00-01, Monday, January).
std::vector<double> chartPercentages(const AnalysisState& state, ChartMode mode);

// A value axis from 0 with whole-number ticks that holds every value.
struct AxisScale {
    double maximum = 1;
    double tickInterval = 1;
    bool operator==(const AxisScale&) const = default;
};
AxisScale wholeNumberAxis(const std::vector<double>& values);

class ChartModel {
public:
    // Day of week shown, every column zero: the chart as the window opens.
    ChartModel();

    // The mode the next write goes to.
    void selectValues(ChartMode mode) { m_writeMode = mode; }
    // Writes the selected mode's column. The other columns keep what they
    // last received, so a mode switch shows them until it writes its own.
    void writeValues(std::vector<double> values);
    // The mode whose column is drawn.
    void showMode(ChartMode mode);

    ChartMode shownMode() const { return m_shownMode; }
    const std::vector<double>& values(ChartMode mode) const { return m_values[index(mode)]; }
    const std::vector<double>& shownValues() const { return values(m_shownMode); }
    const std::vector<std::string>& shownCategories() const { return chartCategories(m_shownMode); }
    AxisScale axis() const { return wholeNumberAxis(shownValues()); }
    // "JAN: 12.5%": a column's label and value, one decimal at most; empty
    // for a column that does not exist.
    std::string barToolTip(int column) const;

    // Grows whenever what is drawn changes: the view redraws when it moved.
    std::uint64_t revision() const { return m_revision; }

private:
    static std::size_t index(ChartMode mode) { return static_cast<std::size_t>(mode); }

    std::vector<double> m_values[kChartModeCount];
    ChartMode m_writeMode = ChartMode::DayOfWeek;
    ChartMode m_shownMode = ChartMode::DayOfWeek;
    std::uint64_t m_revision = 0;
};

} // namespace brisk::chart
