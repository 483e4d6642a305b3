#include "platform/chart/LiveChart.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace brisk::chart {

namespace {

constexpr ChartModeInfo kTimeOfDay{"%Emails in different hours", "C15:D38", "d15:d38", 24};
constexpr ChartModeInfo kDayOfWeek{"%Emails on different days", "a15:b21", "B15:B21", 7};
constexpr ChartModeInfo kMonthOfYear{"%Emails in different months", "e15:f26", "f15:f26", 12};

constexpr double kSecondsPerDay = 86400.0;

} // namespace

const ChartModeInfo& chartModeInfo(ChartMode mode)
{
    switch (mode) {
    case ChartMode::TimeOfDay:
        return kTimeOfDay;
    case ChartMode::DayOfWeek:
        return kDayOfWeek;
    case ChartMode::MonthOfYear:
        return kMonthOfYear;
    }
    throw std::invalid_argument("unknown chart mode");
}

ChartMode chartModeOf(bool dayOfWeekOn, bool monthOfYearOn)
{
    if (dayOfWeekOn)
        return ChartMode::DayOfWeek;
    if (monthOfYearOn)
        return ChartMode::MonthOfYear;
    return ChartMode::TimeOfDay;
}

ChartValuesSource zeroChartValues()
{
    return [](ChartMode mode) {
        return std::vector<double>(static_cast<std::size_t>(chartModeInfo(mode).bucketCount), 0.0);
    };
}

void LiveChart::bind(ChartApplication& application, ChartSheet& sheet)
{
    vChartApp = &application;
    vChartSheet = &sheet;
}

std::vector<double> LiveChart::SelectChartData(ChartMode mode, const ChartValuesSource& source)
{
    vChartValueRange = chartModeInfo(mode).valueRange;
    return source(mode);
}

bool LiveChart::WriteChartValues(const std::vector<double>& values)
{
    if (!isBound())
        throw std::logic_error("the chart workbook is not bound");
    const double deadline = m_clock.now() + kChartReadyTimeoutSeconds / kSecondsPerDay;
    while (!vChartApp->Ready() && m_clock.now() <= deadline)
        m_clock.sleepFor(kChartReadyPollSeconds);
    if (m_clock.now() > deadline)
        return false;
    const CellGrid column = vChartApp->Transpose(values);
    vChartSheet->Range(vChartValueRange).setValue(column);
    return true;
}

void LiveChart::RefreshChart(ChartMode mode, const ChartValuesSource& source)
{
    const std::vector<double> values = SelectChartData(mode, source);
    WriteChartValues(values);
}

void LiveChart::SetChartSource(ChartMode mode)
{
    if (!isBound())
        throw std::logic_error("the chart workbook is not bound");
    const char* source = chartModeInfo(mode).sourceRange;
    vChartSheet->ChartObjects(1).Chart.SetSourceData(vChartSheet->Range(source));
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

} // namespace brisk::chart
