#include "ui/chart/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brisk::chart {
namespace {

std::vector<std::string> hourLabels()
{
    std::vector<std::string> labels;
    char text[8];
    for (int hour = 0; hour < 24; ++hour) {
        std::snprintf(text, sizeof text, "%02d-%02d", hour, hour + 1);
        labels.emplace_back(text);
    }
    return labels;
}

template <int N>
std::vector<double> cellsOf(const PercentBuckets<N>& buckets)
{
    return std::vector<double>(buckets.cells.begin(), buckets.cells.end());
}

} // namespace

ChartMode chartModeOf(bool dayOfWeekOn, bool monthOfYearOn)
{
    if (dayOfWeekOn)
        return ChartMode::DayOfWeek;
    if (monthOfYearOn)
        return ChartMode::MonthOfYear;
    return ChartMode::TimeOfDay;
}

const char* chartTitle(ChartMode mode)
{
    switch (mode) {
    case ChartMode::TimeOfDay: return "%Emails in different hours";
    case ChartMode::MonthOfYear: return "%Emails in different months";
    case ChartMode::DayOfWeek: break;
    }
    return "%Emails on different days";
}

const std::vector<std::string>& chartCategories(ChartMode mode)
{
    static const std::vector<std::string> hours = hourLabels();
    static const std::vector<std::string> days{"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
    static const std::vector<std::string> months{"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    switch (mode) {
    case ChartMode::TimeOfDay: return hours;
    case ChartMode::MonthOfYear: return months;
    case ChartMode::DayOfWeek: break;
    }
    return days;
}

std::vector<double> chartPercentages(const AnalysisState& state, ChartMode mode)
{
    switch (mode) {
    case ChartMode::TimeOfDay: return cellsOf(state.vHourPercent);
    case ChartMode::MonthOfYear: return cellsOf(state.vMonthPercent);
    case ChartMode::DayOfWeek: break;
    }
    return cellsOf(state.vWeekdayPercent);
}

AxisScale wholeNumberAxis(const std::vector<double>& values)
{
    double top = 0;
    for (double value : values)
        if (std::isfinite(value))
            top = std::max(top, value);
    top = std::max(1.0, std::ceil(top));
    // Steps of 1, 2 or 5 times a power of ten, at most five of them.
    constexpr int kMaxTicks = 5;
    for (double power = 1;; power *= 10) {
        for (double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * power;
            const double count = std::ceil(top / step);
            if (count <= kMaxTicks)
                return AxisScale{count * step, step};
        }
    }
}

ChartModel::ChartModel()
{
    for (ChartMode mode : {ChartMode::TimeOfDay, ChartMode::DayOfWeek, ChartMode::MonthOfYear})
        m_values[index(mode)].assign(chartCategories(mode).size(), 0.0);
}

void ChartModel::writeValues(std::vector<double> values)
{
    // One value per column, whatever the caller passed.
    values.resize(chartCategories(m_writeMode).size(), 0.0);
    std::vector<double>& column = m_values[index(m_writeMode)];
    if (column == values)
        return;
    column = std::move(values);
    if (m_writeMode == m_shownMode)
        ++m_revision;
}

void ChartModel::showMode(ChartMode mode)
{
    if (mode == m_shownMode)
        return;
    m_shownMode = mode;
    ++m_revision;
}

std::string ChartModel::barToolTip(int column) const
{
    const std::vector<double>& shown = shownValues();
    if (column < 0 || static_cast<std::size_t>(column) >= shown.size())
        return {};
    // One decimal, halves away from zero.
    char value[32];
    std::snprintf(value, sizeof value, "%.1f", std::round(shown[static_cast<std::size_t>(column)] * 10) / 10);
    std::string text = value;
    if (text.size() > 2 && text.ends_with(".0"))
        text.resize(text.size() - 2);
    return shownCategories()[static_cast<std::size_t>(column)] + ": " + text + "%";
}

} // namespace brisk::chart
