// The main window's run, results panel, top lists, start-up and shutdown,
// folder choice, results and report: each handler reads the window, calls the
// engine, the export or the shell, and shows the result.

#include "ui/BRISKerUserForm.h"

#include "platform/system/FileProcedures.h"
#include "shell/SharedUsageLog.h"
#include "shell/UsageReport.h"
#include "ui/DesignMetrics.h"
#include "ui/LiveChartView.h"
#include "ui/ResultsDialog.h"
#include "ui_BRISKerUserForm.h"
#include "ui_ResultsDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>

namespace brisk {

void LaunchUsageLog::logEntry(std::string_view action)
{
    // No log was made at start-up (shared folder unreachable, administrator):
    // later entries are skipped rather than written to an empty path.
    if (log && !log->vLogFilePath().empty())
        log->logEntry(action);
}

void BRISKerUserForm::connectRunHandlers()
{
    connect(ui->StartButton, &QPushButton::clicked, this, &BRISKerUserForm::StartButton_Click);
    connect(ui->PickFolderButton, &QPushButton::clicked, this, &BRISKerUserForm::PickFolderButton_Click);
    connect(ui->ExportButton, &QPushButton::clicked, this, &BRISKerUserForm::ExportButton_Click);
    connect(ui->ReportButton, &QPushButton::clicked, this, &BRISKerUserForm::ReportButton_Click);
    // The panel's boxes are redrawn at most once per frame of the screen.
    const QScreen* screen = this->screen();
    const double rate = screen && screen->refreshRate() > 1 ? screen->refreshRate() : 60.0;
    m_panelTimer.setSingleShot(true);
    m_panelTimer.setInterval(static_cast<int>(1000.0 / rate));
    connect(&m_panelTimer, &QTimer::timeout, this, &BRISKerUserForm::flushPanel);
    m_folderPicker = [zone = m_services.settings.dateLocale.zone](MailStore& store, MailFolder* current, QWidget* parent) {
        return pickFolderWithDialog(store, current, parent, zone);
    };
    for (PanelBox box : {PanelBox::ProgressNumLabel, PanelBox::ProgressNumMaxLabel, PanelBox::PickedFolderLabel})
        m_panel.setBoxText(box, boxWidget(box) ? boxText(box) : "0");
    for (int i = 0; i < kPanelBoxCount; ++i) {
        const auto box = static_cast<PanelBox>(i);
        if (auto* edit = qobject_cast<QLineEdit*>(boxWidget(box)))
            m_panel.setBoxText(box, edit->text().toStdString());
        else if (auto* label = qobject_cast<QLabel*>(boxWidget(box)))
            m_panel.setBoxText(box, label->text().toStdString());
    }
}

// --- Start-up and shutdown -------------------------------------------------

void BRISKerUserForm::Form_Initialize(std::unique_ptr<MailStore> store)
{
    SessionValues& session = m_app.session;
    session.vAppTitle = std::string(kAppTitle);
    setWindowTitle(QString::fromStdString(session.vAppTitle));
    m_app.settings = m_services.settings;
    m_app.position.vExitRequested = false;
    session.oNameSpace = std::move(store);
    session.oPickedFolder = &session.oNameSpace->defaultFolder();
    session.vUserName = session.oNameSpace->currentUser();
    const bool admin = session.vUserName == m_services.settings.AdminUserName;
    ui->ReportButton->setVisible(admin);
    m_log.log = std::make_unique<SharedUsageLog>(m_services.settings, session.vUserName, m_services.prompts,
                                                 m_services.clock);
    m_log.log->create();
    m_app.position.vTopListRefreshPercent = 1;
    ResetLabels();
    ResetSenderReceiverList();
    m_app.analysis.vHourCount.fill(0);
    m_app.analysis.vWeekdayCount.fill(0);
    m_app.analysis.vMonthCount.fill(0);
    m_app.analysis.vHourPercent.fill(0);
    m_app.analysis.vWeekdayPercent.fill(0);
    m_app.analysis.vMonthPercent.fill(0);
    BindChartWorkbook();
    RefreshChart();
}

void BRISKerUserForm::Form_Terminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_controller.abandonRun();
    // CleanUpAndLogEnd: the arrays, the store's objects, then the end entry.
    EraseAnalysisArrays(m_app.analysis);
    m_app.session.oPickedFolder = nullptr;
    m_app.position.lastFolderAnalysed = nullptr;
    m_log.logEntry("end");
    // The store itself goes with the application's state: a walk that ended
    // the program still unwinds through its folders.
    hide();
}

void BRISKerUserForm::terminate()
{
    Form_Terminate();
    QCoreApplication::quit();
}

bool BRISKerUserForm::Form_QueryUnload()
{
    return m_controller.Form_QueryUnload();
}

void BRISKerUserForm::closeEvent(QCloseEvent* event)
{
    if (!m_terminated && Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Terminate();
    event->accept();
}

const std::string& BRISKerUserForm::vLogFilePath() const
{
    static const std::string none;
    return m_log.log ? m_log.log->vLogFilePath() : none;
}

// --- The run ---------------------------------------------------------------

void BRISKerUserForm::StartButton_Click()
{
    m_controller.StartButton_Click();
    flushPanel();
}

std::string BRISKerUserForm::startCaption() const { return ui->StartButton->text().toStdString(); }

void BRISKerUserForm::setStartCaption(std::string_view caption)
{
    ui->StartButton->setText(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

QWidget* BRISKerUserForm::controlWidget(RunControl control) const
{
    switch (control) {
    case RunControl::ExportButton: return ui->ExportButton;
    case RunControl::PickFolderButton: return ui->PickFolderButton;
    case RunControl::IgnoreDateFilterRadio: return ui->IgnoreDateFilterRadio;
    case RunControl::DateFilterRadio: return ui->DateFilterRadio;
    case RunControl::FromDatePickerText: return ui->FromDatePickerText;
    case RunControl::ToDatePickerText: return ui->ToDatePickerText;
    }
    return nullptr;
}

void BRISKerUserForm::setControlEnabled(RunControl control, bool enabled)
{
    controlWidget(control)->setEnabled(enabled);
}

bool BRISKerUserForm::ignoreDateFilterSelected() const { return ui->IgnoreDateFilterRadio->isChecked(); }
void BRISKerUserForm::selectIgnoreDateFilter() { ui->IgnoreDateFilterRadio->setChecked(true); }

DateFilterState BRISKerUserForm::dateFilter() const
{
    return {ui->DateFilterRadio->isChecked(), ui->FromDatePickerText->text().toStdString(),
            ui->ToDatePickerText->text().toStdString()};
}

void BRISKerUserForm::focusControl(RunControl control) { controlWidget(control)->setFocus(); }

double BRISKerUserForm::progressNumMax() const
{
    try {
        return std::stod(m_panel.boxText(PanelBox::ProgressNumMaxLabel));
    } catch (const std::exception&) {
        return 0;
    }
}

void BRISKerUserForm::showCurrentFolder(const std::string& name) { setBoxText(PanelBox::CurtFolderLabel, name); }
void BRISKerUserForm::showCurrentMessage(const std::string& subject) { setBoxText(PanelBox::CurtMsgLabel, subject); }

void BRISKerUserForm::repaint()
{
    // Coalesced: the boxes are drawn at the screen's rate, not per item.
    if (!m_panelTimer.isActive())
        m_panelTimer.start();
}

void BRISKerUserForm::yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// --- The results panel -----------------------------------------------------

// The bar's width is 4215 twips times the fraction done, at most its
// background's: subfolders' items count as processed but not in the picked
// folder's total, and the bar would run out of its frame. Below 0.001 the bar
// and its background are hidden.
static void showProgressBar(Ui::BRISKerUserForm& ui, const QWidget& window, double percentage)
{
    const int width = twipsToPixels(window, 4215 * std::clamp(percentage, 0.0, 1.0));
    ui.ProgressBarLabel->resize(width, ui.ProgressBarLabel->height());
    const bool visible = percentage >= 0.001;
    ui.ProgressBarBackLabel->setVisible(visible);
    ui.ProgressBarLabel->setVisible(visible);
}

QWidget* BRISKerUserForm::boxWidget(PanelBox box) const
{
    return findChild<QWidget*>(QString::fromLatin1(panelBoxName(box)));
}

void BRISKerUserForm::setBoxText(PanelBox box, const std::string& text)
{
    if (m_panel.boxText(box) == text)
        return;
    m_panel.setBoxText(box, text);
    m_panelDirty = true;
    repaint();
}

std::string BRISKerUserForm::boxText(PanelBox box) const { return m_panel.boxText(box); }

void BRISKerUserForm::flushPanel()
{
    if (!m_panelDirty)
        return;
    m_panelDirty = false;
    for (int i = 0; i < kPanelBoxCount; ++i) {
        const auto box = static_cast<PanelBox>(i);
        const QString text = QString::fromStdString(m_panel.boxText(box));
        if (auto* edit = qobject_cast<QLineEdit*>(boxWidget(box)))
            showStartOf(*edit, text);
        else if (auto* label = qobject_cast<QLabel*>(boxWidget(box)); label && label->text() != text)
            label->setText(text);
    }
    showProgressBar(*ui, *this, m_panel.progress);
    // The chart's own timer runs at the same rate but out of step: drawing it
    // with the panel makes one repaint of the window per frame, not two.
    if (m_chartView && m_chartView->redrawPending())
        m_chartView->redrawNow();
}

bool BRISKerUserForm::writeChart()
{
    return WriteChartValues(SelectChartData());
}

bool BRISKerUserForm::UpdateLabels()
{
    return brisk::UpdateLabels(m_app.analysis, m_app.session.oPickedFolder, *this, m_services.prompts);
}

void BRISKerUserForm::ResetLabels()
{
    brisk::ResetLabels(m_app.analysis, m_app.session.oPickedFolder, *this, m_services.prompts);
    flushPanel();
}

// Drawn with the panel's texts, at screen rate: resizing the bar after every
// item made the window repaint for every pixel the bar grew, several times
// per frame.
void BRISKerUserForm::SetProgressBar(double percentage)
{
    m_panel.SetProgressBar(percentage);
    m_panelDirty = true;
    repaint();
}

// --- The top lists ---------------------------------------------------------

static QComboBox* listCombo(Ui::BRISKerUserForm& ui, TopList list)
{
    return list == TopList::Senders ? ui.TopSendersCombo : ui.TopReceiversCombo;
}

// A refresh of the lists rewrites only the lines that changed: most refreshes
// during a run give the same ten lines, and clearing and refilling a combo box
// repaints it each time.
void BRISKerUserForm::clearList(TopList list) { m_listFill[static_cast<int>(list)] = 0; }

void BRISKerUserForm::addLine(TopList list, const std::string& line)
{
    QComboBox* combo = listCombo(*ui, list);
    const int index = m_listFill[static_cast<int>(list)]++;
    const QString text = QString::fromStdString(line);
    if (index >= combo->count())
        combo->addItem(text);
    else if (combo->itemText(index) != text)
        combo->setItemText(index, text);
}

// Drops the lines the last refresh did not write again.
void BRISKerUserForm::trimList(TopList list)
{
    QComboBox* combo = listCombo(*ui, list);
    while (combo->count() > m_listFill[static_cast<int>(list)])
        combo->removeItem(combo->count() - 1);
}

void BRISKerUserForm::setListText(TopList list, const std::string& text)
{
    trimList(list);
    QComboBox* combo = listCombo(*ui, list);
    if (combo->count() > 0 && combo->currentIndex() != 0)
        combo->setCurrentIndex(0);
    const QString shown = QString::fromStdString(text);
    if (combo->currentText() != shown)
        combo->setEditText(shown);
}

void BRISKerUserForm::enableLists()
{
    for (TopList list : {TopList::Senders, TopList::Receivers}) {
        trimList(list);
        // An emptied list shows no text, as a cleared combo box does.
        QComboBox* combo = listCombo(*ui, list);
        if (combo->count() == 0 && !combo->currentText().isEmpty())
            combo->setEditText(QString());
    }
    ui->TopSendersCombo->setEnabled(true);
    ui->TopReceiversCombo->setEnabled(true);
}

void BRISKerUserForm::UpdateSenderReceiverList()
{
    brisk::UpdateSenderReceiverList(m_app.analysis, m_app.topLists, *this, m_services.prompts);
}

void BRISKerUserForm::ResetSenderReceiverList() { brisk::ResetSenderReceiverList(*this); }

// --- Folder choice -----------------------------------------------------------

void BRISKerUserForm::PickFolderButton_Click()
{
    if (!m_app.session.oNameSpace)
        return;
    FolderPick pick = m_folderPicker(*m_app.session.oNameSpace, m_app.session.oPickedFolder, this);
    if (pick.folder)
        pickFolderSteps(std::move(pick));
    QWidget::repaint();
}

void BRISKerUserForm::pickFolderSteps(FolderPick pick)
{
    auto step = [&](auto&& body) {
        try {
            body();
        } catch (const std::exception&) {
            m_services.prompts.error(errorText("PickFolder", m_app.analysis.lEmailsProcessed));
        }
    };
    m_controller.abandonRun();
    if (pick.openedStore) {
        m_app.position.lastFolderAnalysed = nullptr;
        m_app.session.oNameSpace = std::move(pick.openedStore);
    }
    m_app.session.oPickedFolder = pick.folder;
    step([&] { PrepareAnalysisArrays(m_app.analysis, progressNumMax()); });
    step([&] { ResetLabels(); });
    step([&] { WriteChartValues(SelectChartData()); });
    setStartCaption(kCaptionStart);
    ui->ExportButton->setEnabled(true);
    ui->PickFolderButton->setEnabled(true);
    ui->IgnoreDateFilterRadio->setEnabled(true);
    ui->DateFilterRadio->setEnabled(true);
    applyDateFilterEnabling();
    m_log.logEntry("folder");
    ResetSenderReceiverList();
}

// --- Results and report ----------------------------------------------------

ResultsOptions BRISKerUserForm::askResultsOptions()
{
    ResultsDialog dialog(this);
    dialog.form().CopyFileToServerCheckbox->setChecked(false);
    dialog.form().MakeResultsAnonymousCheckbox->setChecked(false);
    dialog.exec();
    ResultsOptions options;
    options.cancelled = dialog.vResultsDialogCancelled;
    options.copyToServer = dialog.form().CopyFileToServerCheckbox->isChecked();
    options.anonymous = dialog.form().MakeResultsAnonymousCheckbox->isChecked();
    return options;
}

void BRISKerUserForm::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void BRISKerUserForm::ExportButton_Click()
{
    m_controller.completeReplies();
    ExportContext context{m_app, *this, m_services.prompts, m_services.desktop, m_services.clock, m_log};
    m_lastResults = runExport(context);
}

void BRISKerUserForm::ReportButton_Click()
{
    runUsageReport(m_services.settings, documentsFolder(), m_services.clock, m_services.prompts,
                   m_services.desktop);
}

} // namespace brisk
