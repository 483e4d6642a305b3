#include "engine/RunControl.h"

#include "engine/MailStore.h"
#include "engine/Services.h"
#include "engine/StepGuard.h"
#include "engine/UsageLogSink.h"
#include "dates/DateText.h"
#include "stats/Rounding.h"

#include <cmath>
#include <exception>
#include <memory>

namespace brisk {
namespace {

MailFolder& storeRoot(MailFolder& folder)
{
    MailFolder* root = &folder;
    while (root->parent())
        root = root->parent();
    return *root;
}

} // namespace

void RunController::StartButton_Click()
{
    const RunState state = m.view.runState();
    m.usageLog.logEntry(captionOf(state));
    if (state == RunState::Running) {
        m.view.setRunState(RunState::Paused);
        m.view.setControlEnabled(RunControl::ExportButton, true);
        m.view.setControlEnabled(RunControl::PickFolderButton, true);
        for (auto c : {RunControl::IgnoreDateFilterRadio, RunControl::DateFilterRadio, RunControl::FromDatePickerText,
                       RunControl::ToDatePickerText})
            m.view.setControlEnabled(c, false);
    } else if (state == RunState::Idle) {
        start();
    } else {
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
        if (!parseDateText(text, m.dateLocale.order)) {
            m.prompts.inform("Invalid date!");
            m.view.focusControl(control);
            return;
        }
    }
    m.view.setRunState(RunState::Running);
    disableRunControls();
    m_filter = DateFilter::fromState(dates, m.dateLocale);
    m.view.ResetLabels();
    setRunWindow(m.state, m.clock.now());
    PrepareAnalysisArrays(m.state, m.view.progressNumMax());
    m.position.runRoot = m.oPickedFolder;
    m.position.folderPath.clear();
    m_path.clear();
    m_threads.abandon();
    if (m.oPickedFolder) {
        m_threads.start(storeRoot(*m.oPickedFolder));
        ProcessFolder(*m.oPickedFolder, 1);
    }
    if (!m_terminated)
        m.view.UpdateSenderReceiverList();
}

void RunController::resume()
{
    m.view.setRunState(RunState::Running);
    disableRunControls();
    m_filter = DateFilter::fromState(m.view.dateFilter());
    if (m.position.lastFolderAnalysed)
        resumeWalk();
    if (!m_terminated)
        m.view.UpdateSenderReceiverList();
}

bool RunController::Form_QueryUnload()
{
    if (m.view.runState() != RunState::Running)
        return false;
    if (m.prompts.askYesNo("Analysis is running. Sure to exit?", std::string(kAppTitle)))
        m.position.vExitRequested = true;
    return true;
}

bool RunController::paused() const
{
    return m.view.runState() != RunState::Running;
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
        walkSubfolders(folder, 0);
    }
    --m_depth;
    endIfOutermost();
}

// The subfolders from position `first` on, each with all of its descendants,
// but "Deleted Items" and the store's trash; none once the walk is paused.
void RunController::walkSubfolders(MailFolder& folder, std::size_t first)
{
    const StepGuard step(m.prompts, "ProcessFolder", m.state.lEmailsProcessed);
    bool stop = paused();
    const std::vector<MailFolder*>* children = nullptr;
    if (!stop)
        step([&] { children = &folder.folders(); });
    for (std::size_t i = first; !m_terminated && !stop && children && i < children->size(); ++i) {
        MailFolder* child = (*children)[i];
        if (!skippedInWalk(*child)) {
            m_path.push_back(i);
            ProcessFolder(*child, 1);
            m_path.pop_back();
        }
        stop = paused();
    }
}

// The folders from the run's root down to the last folder analysed, or only
// that folder when the recorded path no longer leads to it.
std::vector<MailFolder*> RunController::foldersOnRunPath() const
{
    std::vector<MailFolder*> chain;
    MailFolder* folder = m.position.runRoot;
    try {
        for (std::size_t level = 0; folder; ++level) {
            chain.push_back(folder);
            if (level == m.position.folderPath.size())
                break;
            const auto& children = folder->folders();
            const std::size_t index = m.position.folderPath[level];
            folder = index < children.size() ? children[index] : nullptr;
        }
    } catch (const std::exception&) {
        folder = nullptr;
    }
    if (!folder || chain.back() != m.position.lastFolderAnalysed)
        return {m.position.lastFolderAnalysed};
    return chain;
}

// The rest of the interrupted walk in its own order: the rest of the last
// folder and its subfolders, then the later subfolders of each of its
// ancestors, deepest first, up to the run's root.
void RunController::resumeWalk()
{
    const std::vector<MailFolder*> chain = foldersOnRunPath();
    m_path = chain.size() > 1 ? m.position.folderPath : std::vector<std::size_t>{};
    ++m_depth;
    ProcessFolder(*m.position.lastFolderAnalysed, m.position.lastMessageIndexAnalysed + 1);
    for (std::size_t level = chain.size() - 1; level > 0 && !m_terminated && !paused(); --level) {
        const std::size_t index = m_path.back();
        m_path.pop_back();
        walkSubfolders(*chain[level - 1], index + 1);
    }
    --m_depth;
    endIfOutermost();
}

void RunController::endIfOutermost()
{
    if (m_depth == 0 && !m_terminated && !paused())
        endRun();
}

void RunController::walkItems(MailFolder& folder, long startMsgIndex)
{
    const StepGuard step(m.prompts, "ProcessFolder", m.state.lEmailsProcessed);
    long n = 0;
    step([&] { readOrPause(folder, startMsgIndex, [&] { n = folder.itemCount(); }); });
    // Whatever ends this walk (the folder's end, a pause, the program's end),
    // nothing read ahead of it is kept.
    struct EndReading {
        ParseAhead& ahead;
        ~EndReading() { ahead.end(); }
    } const ending{m_ahead};
    m_ahead.begin(folder, startMsgIndex, n, m.dateLocale);
    for (long i = startMsgIndex; i <= n; ++i) {
        std::unique_ptr<MailItem> item;
        bool read = true;
        step([&] { read = readOrPause(folder, i, [&] { item = m_ahead.take(i); }); });
        if (!read)
            break;
        m.position.lastFolderAnalysed = &folder;
        m.position.lastMessageIndexAnalysed = i;
        m.position.folderPath = m_path;
        ProcessMessage(m.state, item.get(), m_filter, m.prompts, m_threads.lookup());
        m_threads.poll(m.state, m.prompts);
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
            m_threads.abandon();
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
        m.position.folderPath = m_path;
        m.prompts.error(std::string(e.what()) + ". Pausing execution. Click Resume to go on from the same message.");
        StartButton_Click();
        return false;
    }
}

void RunController::completeReplies()
{
    if (m_threads.complete(m.state, m.prompts)) {
        const StepGuard step(m.prompts, "ProcessFolder", m.state.lEmailsProcessed);
        step([&] { m.view.UpdateLabels(); });
        m.view.repaint();
    }
}

void RunController::endRun()
{
    // The last replies that waited for the index count before the run ends.
    completeReplies();
    m_threads.abandon();
    m.view.setRunState(RunState::Idle);
    m.view.setControlEnabled(RunControl::ExportButton, true);
    m.view.setControlEnabled(RunControl::PickFolderButton, true);
    m.view.selectIgnoreDateFilter();
    const bool boxes = !m.view.ignoreDateFilterSelected();
    m.view.setControlEnabled(RunControl::FromDatePickerText, boxes);
    m.view.setControlEnabled(RunControl::ToDatePickerText, boxes);
}

} // namespace brisk
