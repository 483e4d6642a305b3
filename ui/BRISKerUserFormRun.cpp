// The main window's start-up and shutdown, the run, the results panel, the
// top lists, folder choice, results and report.

#include "ui/BRISKerUserForm.h"

#include "engine/StepGuard.h"
#include "platform/system/FileProcedures.h"
#include "shell/UsageReport.h"
#include "ui/DesignMetrics.h"
#include "ui/ResultsDialog.h"
#include "ui/chart/LiveChartView.h"
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

// --- Start-up and shutdown -------------------------------------------------

void BRISKerUserForm::Form_Initialize(std::unique_ptr<MailStore> store)
{
    startSession(m_app, m_services.settings, std::move(store));
    m_app.session.oPickedFolder = &m_app.session.oNameSpace->defaultFolder();
    setWindowTitle(QString::fromStdString(m_app.session.vAppTitle));
    ui->ReportButton->setVisible(isAdministrator(m_app));
    m_log.open(m_app, m_services.prompts, m_services.clock);
    ResetLabels();
    ResetSenderReceiverList();
    RefreshChart();
}

void BRISKerUserForm::Form_Terminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_controller.abandonRun();
    // The arrays, the store's objects, then the end entry. The store itself
    // goes with the application's state: a walk that ended the program still
    // unwinds through its folders.
    EraseAnalysisArrays(m_app.analysis);
    m_app.session.oPickedFolder = nullptr;
    m_app.position.lastFolderAnalysed = nullptr;
    m_log.logEntry("end");
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

// --- The run ---------------------------------------------------------------

void BRISKerUserForm::StartButton_Click()
{
    m_controller.StartButton_Click();
    flushPanel();
}

void BRISKerUserForm::setRunState(RunState state)
{
    m_runState = state;
    const std::string_view caption = captionOf(state);
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
void BRISKerUserForm::showCurrentFolder(const std::string& name) { setBoxText(PanelBox::CurtFolderLabel, name); }
void BRISKerUserForm::showCurrentMessage(const std::string& subject) { setBoxText(PanelBox::CurtMsgLabel, subject); }

void BRISKerUserForm::repaint()
{
    // Coalesced: the boxes and the chart are drawn at the screen's rate, not
    // per item.
    if (!m_frameTimer.isActive())
        m_frameTimer.start();
}

void BRISKerUserForm::yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// --- The results panel -----------------------------------------------------

void BRISKerUserForm::setUpFrameTimer()
{
    const QScreen* screen = this->screen();
    const double rate = screen && screen->refreshRate() > 1 ? screen->refreshRate() : 60.0;
    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(static_cast<int>(1000.0 / rate));
    connect(&m_frameTimer, &QTimer::timeout, this, &BRISKerUserForm::flushPanel);
}

// The panel starts from the texts the form was designed with.
void BRISKerUserForm::seedPanel()
{
    for (int i = 0; i < kPanelBoxCount; ++i) {
        const auto box = static_cast<PanelBox>(i);
        if (auto* edit = qobject_cast<QLineEdit*>(boxWidget(box)))
            m_panel.setBoxText(box, edit->text().toStdString());
        else if (auto* label = qobject_cast<QLabel*>(boxWidget(box)))
            m_panel.setBoxText(box, label->text().toStdString());
    }
    m_progressNumMax = std::atof(m_panel.boxText(PanelBox::ProgressNumMaxLabel).c_str());
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
    // Read once per change of the folder's count, not per item.
    if (box == PanelBox::ProgressNumMaxLabel)
        m_progressNumMax = std::atof(text.c_str());
    m_panelDirty = true;
    repaint();
}

std::string BRISKerUserForm::boxText(PanelBox box) const { return m_panel.boxText(box); }

void BRISKerUserForm::flushPanel()
{
    m_frameTimer.stop();
    if (m_panelDirty) {
        m_panelDirty = false;
        for (int i = 0; i < kPanelBoxCount; ++i) {
            const auto box = static_cast<PanelBox>(i);
            const QString text = QString::fromStdString(m_panel.boxText(box));
            if (auto* edit = qobject_cast<QLineEdit*>(boxWidget(box)))
                showStartOf(*edit, text);
            else if (auto* label = qobject_cast<QLabel*>(boxWidget(box)); label && label->text() != text)
                label->setText(text);
        }
        showProgressBar();
    }
    // The chart in the same frame: one repaint of the window per frame.
    m_chartView->redraw();
}

// The bar's width is 4215 twips times the fraction done, at most its
// background's: subfolders' items count as processed but not in the picked
// folder's total, and the bar would run out of its frame. Below 0.001 the bar
// and its background are hidden.
void BRISKerUserForm::showProgressBar()
{
    const double done = m_panel.progress;
    const int width = twipsToPixels(*this, 4215 * std::clamp(done, 0.0, 1.0));
    ui->ProgressBarLabel->resize(width, ui->ProgressBarLabel->height());
    ui->ProgressBarBackLabel->setVisible(done >= 0.001);
    ui->ProgressBarLabel->setVisible(done >= 0.001);
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
// item made the window repaint for every pixel the bar grew.
void BRISKerUserForm::SetProgressBar(double percentage)
{
    m_panel.SetProgressBar(percentage);
    m_panelDirty = true;
    repaint();
}

// --- The top lists ---------------------------------------------------------

QComboBox* BRISKerUserForm::listCombo(TopList list) const
{
    return list == TopList::Senders ? ui->TopSendersCombo : ui->TopReceiversCombo;
}

// A refresh of the lists rewrites only the lines that changed: most refreshes
// during a run give the same ten lines, and clearing and refilling a combo box
// repaints it each time.
void BRISKerUserForm::clearList(TopList list) { m_listFill[static_cast<int>(list)] = 0; }

void BRISKerUserForm::addLine(TopList list, const std::string& line)
{
    QComboBox* combo = listCombo(list);
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
    QComboBox* combo = listCombo(list);
    while (combo->count() > m_listFill[static_cast<int>(list)])
        combo->removeItem(combo->count() - 1);
}

void BRISKerUserForm::setListText(TopList list, const std::string& text)
{
    trimList(list);
    QComboBox* combo = listCombo(list);
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
        QComboBox* combo = listCombo(list);
        if (combo->count() == 0 && !combo->currentText().isEmpty())
            combo->setEditText(QString());
        combo->setEnabled(true);
    }
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
        useFolder(std::move(pick));
    flushPanel();
}

// A fresh start for the chosen folder: a paused run can no longer resume.
void BRISKerUserForm::useFolder(FolderPick pick)
{
    m_controller.abandonRun();
    if (pick.openedStore) {
        m_app.position.lastFolderAnalysed = nullptr;
        m_app.session.oNameSpace = std::move(pick.openedStore);
    }
    m_app.session.oPickedFolder = pick.folder;
    const StepGuard step(m_services.prompts, "PickFolder", m_app.analysis.lEmailsProcessed);
    step([&] { PrepareAnalysisArrays(m_app.analysis, progressNumMax()); });
    step([&] { ResetLabels(); });
    step([&] { WriteChartValues(SelectChartData()); });
    readyForStart();
    m_log.logEntry("folder");
    ResetSenderReceiverList();
}

void BRISKerUserForm::readyForStart()
{
    setRunState(RunState::Idle);
    for (QWidget* control : {static_cast<QWidget*>(ui->ExportButton), static_cast<QWidget*>(ui->PickFolderButton),
                             static_cast<QWidget*>(ui->IgnoreDateFilterRadio),
                             static_cast<QWidget*>(ui->DateFilterRadio)})
        control->setEnabled(true);
    applyDateFilterEnabling();
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
