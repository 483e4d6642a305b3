#pragma once
// The main window: the setup, results, live graph and progress frames, the
// two top lists and the buttons along the bottom edge. Its controls carry
// their designed names (ui->StartButton); the handlers here are those of the
// live chart, the date filter and help. Start-up, the run, folder selection,
// the export and the report are served by the application shell.

#include "engine/ResultsPanel.h"
#include "engine/RunControl.h"
#include "engine/Session.h"
#include "engine/TopLists.h"
#include "engine/UsageLogSink.h"
#include "export/ExportWorkflow.h"
#include "shell/SharedUsageLog.h"
#include "platform/chart/ChartWorkbook.h"
#include "platform/chart/LiveChart.h"
#include "ui/FolderPickerDialog.h"
#include "ui/UiServices.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
namespace Ui {
class BRISKerUserForm;
}

namespace brisk {

class LiveChartView;


// Forwards entries to this launch's usage log once start-up has made it.
class LaunchUsageLog : public UsageLog {
public:
    void logEntry(std::string_view action) override;
    std::unique_ptr<SharedUsageLog> log;
};

class BRISKerUserForm : public QWidget,
                        public RunView,
                        public PanelView,
                        public TopListView,
                        public ExportView {
    Q_OBJECT

public:
    // The window works on the application's state; without one it keeps its own.
    explicit BRISKerUserForm(const UiServices& services, QWidget* parent = nullptr);
    BRISKerUserForm(const UiServices& services, AppState& app, QWidget* parent = nullptr);
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

    // Start-up with an opened mail store, and shutdown.
    void Form_Initialize(std::unique_ptr<MailStore> store);
    void Form_Terminate();
    bool terminated() const { return m_terminated; }

    // The run, folder choice, results and report.
    void StartButton_Click();
    void PickFolderButton_Click();
    void ExportButton_Click();
    void ReportButton_Click();
    // The close request; true to refuse the close.
    bool Form_QueryUnload();
    void setFolderPicker(FolderPicker picker) { m_folderPicker = std::move(picker); }

    // The results panel and the top lists (the window's methods).
    void ResetLabels() override;
    bool UpdateLabels() override;
    void SetProgressBar(double percentage) override;
    void UpdateSenderReceiverList() override;
    void ResetSenderReceiverList();
    // Shows the panel's texts now (they are otherwise shown at screen rate).
    void flushPanel();

    AppState& app() { return m_app; }
    RunController& runController() { return m_controller; }
    const std::string& vLogFilePath() const;
    // The last results file written by the Results button.
    const std::optional<std::filesystem::path>& lastResultsFile() const { return m_lastResults; }

    // RunView
    std::string startCaption() const override;
    void setStartCaption(std::string_view caption) override;
    void setControlEnabled(RunControl control, bool enabled) override;
    bool ignoreDateFilterSelected() const override;
    void selectIgnoreDateFilter() override;
    DateFilterState dateFilter() const override;
    void focusControl(RunControl control) override;
    double progressNumMax() const override;
    void showCurrentFolder(const std::string& name) override;
    void showCurrentMessage(const std::string& subject) override;
    void repaint() override;
    void yield() override;
    void terminate() override;

    // PanelView
    void setBoxText(PanelBox box, const std::string& text) override;
    std::string boxText(PanelBox box) const override;
    bool writeChart() override;

    // TopListView
    void clearList(TopList list) override;
    void addLine(TopList list, const std::string& line) override;
    void setListText(TopList list, const std::string& text) override;
    void enableLists() override;

    // ExportView
    ResultsOptions askResultsOptions() override;
    void setBusy(bool busy) override;
    const PanelView& panel() const override { return *this; }

protected:
    // Enter anywhere in the window presses the default button, Start.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyDesign();
    void connectHandlers();
    void chartModeClicked();
    void complainUnlessDate(QLineEdit& box);

    void connectRunHandlers();
    QWidget* controlWidget(RunControl control) const;
    QWidget* boxWidget(PanelBox box) const;
    void pickFolderSteps(FolderPick pick);
    void trimList(TopList list);

    std::unique_ptr<AppState> m_ownApp;
    AppState& m_app;
    std::unique_ptr<Ui::BRISKerUserForm> ui;
    UiServices m_services;
    LaunchUsageLog m_log;
    RunController m_controller;
    // The panel's texts, exact after every item; shown at screen rate.
    TextPanel m_panel;
    bool m_panelDirty = false;
    QTimer m_panelTimer;
    FolderPicker m_folderPicker;
    // Lines written to each top list by its current refresh.
    int m_listFill[2] = {0, 0};
    std::optional<std::filesystem::path> m_lastResults;
    bool m_terminated = false;
    std::unique_ptr<chart::ChartWorkbook> m_workbook;
    chart::LiveChart m_liveChart;
    chart::ChartValuesSource m_chartValues;
    std::unique_ptr<LiveChartView> m_chartView;
};

} // namespace brisk
