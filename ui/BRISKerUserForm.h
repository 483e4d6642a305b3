#pragma once
// The main window: the setup, results, live graph and progress frames, the
// two top lists and the buttons along the bottom edge. Its controls carry
// their designed names (ui->StartButton); the handlers here are those of the
// live chart, the date filter and help. Start-up, the run, folder selection,
// the export and the report are served by the application shell.

#include "platform/chart/ChartWorkbook.h"
#include "platform/chart/LiveChart.h"
#include "ui/UiServices.h"

#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
namespace Ui {
class BRISKerUserForm;
}

namespace brisk {

class LiveChartView;

class BRISKerUserForm : public QWidget {
    Q_OBJECT

public:
    explicit BRISKerUserForm(const UiServices& services, QWidget* parent = nullptr);
    ~BRISKerUserForm() override;
    BRISKerUserForm(const BRISKerUserForm&) = delete;
    BRISKerUserForm& operator=(const BRISKerUserForm&) = delete;

    // The designed controls, by name.
    Ui::BRISKerUserForm& form() { return *ui; }

    // Where the chart routines read the percentages of each distribution;
    // zeros until the analysis state is plugged in.
    void setChartValuesSource(chart::ChartValuesSource source);

    // Binds the chart handles to the embedded chart workbook: vChartApp to its
    // application, vChartSheet to its active sheet.
    void BindChartWorkbook();
    // The chart mode of the three option buttons; the percentages of it.
    chart::ChartMode selectedChartMode() const;
    std::vector<double> SelectChartData();
    bool WriteChartValues(const std::vector<double>& values);
    void RefreshChart();
    // Shows the selected mode's title above the chart, then rebinds the chart.
    void SetChartSource();

    chart::ChartWorkbook& chartWorkbook() { return *m_workbook; }
    chart::LiveChart& liveChart() { return m_liveChart; }
    LiveChartView& chartView() { return *m_chartView; }

    void TimeOfDayOptionButton_Click();
    void DayOfWeekOptionButton_Click();
    void MonthOfYearOptionButton_Click();

    void IgnoreDateFilterRadio_Click();
    void DateFilterRadio_Click();
    // Enables both date boxes when "All Emails in folder" is not selected.
    void applyDateFilterEnabling();
    void FromDatePickerText_Change();
    void ToDatePickerText_Change();

    void HelpButton_Click();

protected:
    // Enter anywhere in the window presses the default button, Start.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyDesign();
    void connectHandlers();
    void chartModeClicked();
    void complainUnlessDate(QLineEdit& box);

    std::unique_ptr<Ui::BRISKerUserForm> ui;
    UiServices m_services;
    std::unique_ptr<chart::ChartWorkbook> m_workbook;
    chart::LiveChart m_liveChart;
    chart::ChartValuesSource m_chartValues;
    std::unique_ptr<LiveChartView> m_chartView;
};

} // namespace brisk
