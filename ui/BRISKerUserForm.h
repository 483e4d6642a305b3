#pragma once
// The main window: the setup, results, live graph and progress frames, the
// two top lists and the buttons along the bottom edge. Its controls carry
// their designed names (ui->StartButton). Each handler reads the window,
// calls the engine, the export or the shell, and shows the result; the run
// sees the window only through the views it implements.

#include "engine/ResultsPanel.h"
#include "engine/RunControl.h"
#include "engine/Session.h"
#include "engine/TopLists.h"
#include "export/ExportWorkflow.h"
#include "shell/AppSetup.h"
#include "ui/FolderPickerDialog.h"
#include "ui/UiServices.h"
#include "ui/chart/ChartModel.h"

#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;
namespace Ui {
class BRISKerUserForm;
}

namespace brisk {

class LiveChartView;

class BRISKerUserForm : public QWidget,
                        public RunView,
                        public PanelView,
                        public TopListView,
                        public ExportView {
    Q_OBJECT

public:
    BRISKerUserForm(const UiServices& services, AppState& app, QWidget* parent = nullptr);
    ~BRISKerUserForm() override;
    // Parser processes for the workers that read ahead of the run.
    void setParseProcesses(ParseChannelFactory processes) { m_controller.setParseProcesses(std::move(processes)); }
    BRISKerUserForm(const BRISKerUserForm&) = delete;
    BRISKerUserForm& operator=(const BRISKerUserForm&) = delete;

    // The designed controls, by name.
    Ui::BRISKerUserForm& form() { return *ui; }

    // Start-up with an opened mail store, and shutdown.
    void Form_Initialize(std::unique_ptr<MailStore> store);
    void Form_Terminate();
    // The close request; true to refuse the close.
    bool Form_QueryUnload();

    // The handlers of the buttons and boxes.
    void StartButton_Click();
    void PickFolderButton_Click();
    void ExportButton_Click();
    void ReportButton_Click();
    void HelpButton_Click();
    void TimeOfDayOptionButton_Click();
    void DayOfWeekOptionButton_Click();
    void MonthOfYearOptionButton_Click();
    void IgnoreDateFilterRadio_Click();
    void DateFilterRadio_Click();
    void FromDatePickerText_Change();
    void ToDatePickerText_Change();

    // Shows the panel's texts and the chart now (otherwise at screen rate).
    void flushPanel();

    // How Pick asks for a folder (a dialog, or a test's choice).
    void setFolderPicker(FolderPicker picker) { m_folderPicker = std::move(picker); }
    AppState& app() { return m_app; }
    RunState runState() const override { return m_runState; }
    bool terminated() const { return m_terminated; }
    const chart::ChartModel& chartModel() const { return m_chart; }
    LiveChartView& chartView() { return *m_chartView; }
    const std::string& vLogFilePath() const { return m_log.vLogFilePath(); }
    // The last results file written by the Results button.
    const std::optional<std::filesystem::path>& lastResultsFile() const { return m_lastResults; }

protected:
    // Enter anywhere in the window presses the default button, Start.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyDesign();
    void connectHandlers();
    void seedPanel();
    void setUpFrameTimer();
    void complainUnlessDate(QLineEdit& box);
    void applyDateFilterEnabling();
    void useFolder(FolderPick pick);
    void readyForStart();

    // The chart routines: the selected mode's percentages, written into the
    // chart model; a mode switch retitles and shows the mode's column.
    chart::ChartMode selectedChartMode() const;
    std::vector<double> SelectChartData();
    bool WriteChartValues(const std::vector<double>& values);
    void RefreshChart();
    void SetChartSource();
    void chartModeClicked();

    // RunView
    void setRunState(RunState state) override;
    void setControlEnabled(RunControl control, bool enabled) override;
    bool ignoreDateFilterSelected() const override;
    void selectIgnoreDateFilter() override;
    DateFilterState dateFilter() const override;
    void focusControl(RunControl control) override;
    void ResetLabels() override;
    bool UpdateLabels() override;
    void UpdateSenderReceiverList() override;
    double progressNumMax() const override { return m_progressNumMax; }
    void showCurrentFolder(const std::string& name) override;
    void showCurrentMessage(const std::string& subject) override;
    void repaint() override;
    void yield() override;
    void terminate() override;

    // PanelView
    void setBoxText(PanelBox box, const std::string& text) override;
    std::string boxText(PanelBox box) const override;
    void SetProgressBar(double percentage) override;
    bool writeChart() override;

    // TopListView
    void clearList(TopList list) override;
    void addLine(TopList list, const std::string& line) override;
    void setListText(TopList list, const std::string& text) override;
    void enableLists() override;
    void ResetSenderReceiverList();
    void trimList(TopList list);
    QComboBox* listCombo(TopList list) const;

    // ExportView
    ResultsOptions askResultsOptions() override;
    void setBusy(bool busy) override;
    const PanelView& panel() const override { return *this; }

    QWidget* controlWidget(RunControl control) const;
    QWidget* boxWidget(PanelBox box) const;
    void showProgressBar();

    AppState& m_app;
    std::unique_ptr<Ui::BRISKerUserForm> ui;
    UiServices m_services;
    LaunchUsageLog m_log;
    RunController m_controller;
    RunState m_runState = RunState::Idle;
    // The panel's texts, exact after every item; shown at screen rate.
    TextPanel m_panel;
    // The number ProgressNumMaxLabel shows, kept as a number: the run reads
    // it after every item.
    double m_progressNumMax = 0;
    bool m_panelDirty = false;
    QTimer m_frameTimer;
    FolderPicker m_folderPicker;
    // Lines written to each top list by its current refresh.
    int m_listFill[2] = {0, 0};
    std::optional<std::filesystem::path> m_lastResults;
    bool m_terminated = false;
    chart::ChartModel m_chart;
    std::unique_ptr<LiveChartView> m_chartView;
};

} // namespace brisk
