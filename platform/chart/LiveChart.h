#pragma once
// The chart routines of the live chart: which distribution each chart mode
// shows, where its categories and values lie in the chart workbook, the
// readiness wait before a write, and the axis scale of the drawn chart.

#include "engine/Services.h"
#include "platform/chart/ChartWorkbook.h"

#include <functional>
#include <string>
#include <vector>

namespace brisk::chart {

enum class ChartMode { TimeOfDay, DayOfWeek, MonthOfYear };

struct ChartModeInfo {
    const char* title;        // the title label's text in this mode
    const char* sourceRange;  // categories and values the chart is bound to
    const char* valueRange;   // the cells the percentages are written into
    int bucketCount;          // 24 hours, 7 weekdays, 12 months
};

// The addresses are passed to the sheet exactly as written (any letter case).
const ChartModeInfo& chartModeInfo(ChartMode mode);

// Day of week when its button is on, else month of year when its button is
// on, else time of day.
ChartMode chartModeOf(bool dayOfWeekOn, bool monthOfYearOn);

// The percentages of one mode's distribution, element 0 being bucket 1
// (hour 00-01, Monday, January).
using ChartValuesSource = std::function<std::vector<double>(ChartMode mode)>;
// Zeros of each mode's length: the distributions before any analysis.
ChartValuesSource zeroChartValues();

// Seconds the chart application may stay busy before a write gives up.
inline constexpr double kChartReadyTimeoutSeconds = 30.0;
inline constexpr double kChartReadyPollSeconds = 0.05;

// The chart handles and routines. The handles are bound once at start-up
// to the embedded workbook's application and active sheet.
class LiveChart {
public:
    explicit LiveChart(Clock& clock) : m_clock(clock) {}

    void bind(ChartApplication& application, ChartSheet& sheet);
    bool isBound() const { return vChartApp != nullptr && vChartSheet != nullptr; }

    // Sets vChartValueRange to the mode's value range; returns its values.
    std::vector<double> SelectChartData(ChartMode mode, const ChartValuesSource& source);
    // Waits up to 30 seconds for the application to be ready, polling it
    // without serving events; then writes values into vChartValueRange as
    // one transposed column. False, with nothing written, on time-out.
    bool WriteChartValues(const std::vector<double>& values);
    // SelectChartData then WriteChartValues; the result is dropped.
    void RefreshChart(ChartMode mode, const ChartValuesSource& source);
    // Binds the sheet's first chart to the mode's source range.
    void SetChartSource(ChartMode mode);

    ChartApplication* vChartApp = nullptr;
    ChartSheet* vChartSheet = nullptr;
    std::string vChartValueRange;

private:
    Clock& m_clock;
};

// A value axis from 0 with whole-number ticks that holds every value.
struct AxisScale {
    double maximum = 1;
    double tickInterval = 1;
};
AxisScale wholeNumberAxis(const std::vector<double>& values);

} // namespace brisk::chart
