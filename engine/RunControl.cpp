#include "engine/RunControl.h"

#include "engine/MailStore.h"
#include "engine/Services.h"
#include "engine/StepGuard.h"
#include "engine/UsageLog.h"
#include "platform/dates/DateText.h"
#include "stats/Rounding.h"

#include <cmath>
#include <exception>
#include <memory>

namespace brisk {

void RunController::StartButton_Click()
{
    const std::string caption = m.view.startCaption();
    m.usageLog.logEntry(caption);
    if (caption == kCaptionPause) {
        m.view.setStartCaption(kCaptionResume);
        m.view.setControlEnabled(RunControl::ExportButton, true);
        m.view.setControlEnabled(RunControl::PickFolderButton, true);
        for (auto c : {RunControl::IgnoreDateFilterRadio, RunControl::DateFilterRadio, RunControl::FromDatePickerText,
                       RunControl::ToDatePickerText})
            m.view.setControlEnabled(c, false);
    } else if (caption == kCaptionStart) {
        start();
    } else if (caption == kCaptionResume) {
        resume();
    }
}

void RunController::disableRunControls()
{
    for (auto c : {RunControl::ExportButton, RunControl::PickFolderButton, RunControl::IgnoreDateFilterRadio,
                   RunControl::DateFilterRadio, RunControl::FromDatePickerText, RunControl::ToDatePickerText})
        m.view.setControlEnabled(c, false);
}

void RunController::start()
{
    const DateFilterState dates = m.view.dateFilter();
    for (auto [text, control] : {std::pair{dates.FromDatePickerText, RunControl::FromDatePickerText},
                                 std::pair{dates.ToDatePickerText, RunControl::ToDatePickerText}}) {
        if (!parseDateText(text)) {
            m.prompts.inform("Invalid date!");
            m.view.focusControl(control);
            return;
        }
    }
    m.view.setStartCaption(kCaptionPause);
    disableRunControls();
    m_filter = DateFilter::fromState(dates);
    m.view.ResetLabels();
    PrepareAnalysisArrays(m.state, m.view.progressNumMax());
    if (m.oPickedFolder)
        ProcessFolder(*m.oPickedFolder, 1);
    if (!m_terminated)
        m.view.UpdateSenderReceiverList();
}

void RunController::resume()
{
    m.view.setStartCaption(kCaptionPause);
    disableRunControls();
    m_filter = DateFilter::fromState(m.view.dateFilter());
    if (m.position.lastFolderAnalysed)
        ProcessFolder(*m.position.lastFolderAnalysed, m.position.lastMessageIndexAnalysed + 1);
    if (!m_terminated)
        m.view.UpdateSenderReceiverList();
}

bool RunController::Form_QueryUnload()
{
    if (m.view.startCaption() != kCaptionPause)
        return false;
    if (m.prompts.askYesNo("Analysis is running. Sure to exit?", std::string(kAppTitle)))
        m.position.vExitRequested = true;
    return true;
}

bool RunController::paused() const
{
    const std::string caption = m.view.startCaption();
    return caption == kCaptionStart || caption == kCaptionResume;
}

void RunController::ProcessFolder(MailFolder& folder, long startMsgIndex)
{
    const StepGuard step(m.prompts, "ProcessFolder", m.state.lEmailsProcessed);
    ++m_depth;
    step([&] { m.view.showCurrentFolder(folder.name()); });
    m.position.vLabelRefreshInterval = 1;
    walkItems(folder, startMsgIndex);
    if (!m_terminated) {
        step([&] { m.view.UpdateLabels(); });
        m.view.repaint();
        bool stop = paused();
        const std::vector<MailFolder*>* children = nullptr;
        if (!stop)
            step([&] { children = &folder.folders(); });
        for (std::size_t i = 0; !m_terminated && !stop && children && i < children->size(); ++i) {
            MailFolder* child = (*children)[i];
            if (child->name() != "Deleted Items")
                ProcessFolder(*child, 1);
            stop = paused();
        }
    }
    --m_depth;
    if (m_depth == 0 && !m_terminated && !paused())
        endRun();
}

void RunController::walkItems(MailFolder& folder, long startMsgIndex)
{
    const StepGuard step(m.prompts, "ProcessFolder", m.state.lEmailsProcessed);
    long n = 0;
    step([&] { readOrPause(folder, startMsgIndex, [&] { n = folder.itemCount(); }); });
    for (long i = startMsgIndex; i <= n; ++i) {
        std::unique_ptr<MailItem> item;
        bool read = true;
        step([&] { read = readOrPause(folder, i, [&] { item = folder.item(i); }); });
        if (!read)
            break;
        m.position.lastFolderAnalysed = &folder;
        m.position.lastMessageIndexAnalysed = i;
        ProcessMessage(m.state, item.get(), m_filter, m.prompts);
        if (m.state.lEmailsProcessed % m.position.vLabelRefreshInterval == 0) {
            if (item)
                step([&] { m.view.showCurrentMessage(item->subject()); });
            if (!m.view.UpdateLabels()) {
                m.prompts.error("Error occured, possibly link to Excel is slow. Pausing execution. Try again later.");
                StartButton_Click();
            }
            m.view.repaint();
        }
        step([&] {
            const double p = roundHalfEven(m.view.progressNumMax() * m.position.vTopListRefreshPercent / 100.0);
            const auto every = static_cast<std::int64_t>(std::max(1.0, p));
            if (m.state.lEmailsProcessed == 1 || m.state.lEmailsProcessed % every == 0)
                m.view.UpdateSenderReceiverList();
        });
        m.view.yield();
        if (paused())
            break;
        if (m.position.vExitRequested) {
            m_terminated = true;
            m.view.terminate();
            return;
        }
    }
}

bool RunController::readOrPause(MailFolder& folder, long index, const std::function<void()>& read)
{
    try {
        read();
        return true;
    } catch (const StoreDisconnected& e) {
        // Pause as when the panel fails, positioned so that Resume asks the
        // store for this same item again.
        m.position.lastFolderAnalysed = &folder;
        m.position.lastMessageIndexAnalysed = index - 1;
        m.prompts.error(std::string(e.what()) + ". Pausing execution. Click Resume to go on from the same message.");
        StartButton_Click();
        return false;
    }
}

void RunController::endRun()
{
    m.view.setStartCaption(kCaptionStart);
    m.view.setControlEnabled(RunControl::ExportButton, true);
    m.view.setControlEnabled(RunControl::PickFolderButton, true);
    m.view.selectIgnoreDateFilter();
    const bool boxes = !m.view.ignoreDateFilterSelected();
    m.view.setControlEnabled(RunControl::FromDatePickerText, boxes);
    m.view.setControlEnabled(RunControl::ToDatePickerText, boxes);
}

} // namespace brisk
