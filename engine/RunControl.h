#pragma once
// Running an analysis: the Start/Pause/Resume button, the depth-first walk
// over the picked folder and its subfolders, pause and resume positions, and
// the close request during a run. The window (or the command line) is seen
// only through RunView; the walk yields to it after every item.

#include "engine/AnalysisState.h"
#include "engine/MessageAnalysis.h"
#include "engine/ParseAhead.h"
#include "engine/ThreadIndexBuild.h"

#include <optional>
#include <vector>

#include <functional>
#include <string>
#include <string_view>

namespace brisk {

class Clock;
class MailFolder;
class Prompts;
class UsageLog;

inline constexpr std::string_view kCaptionStart = "Start";
inline constexpr std::string_view kCaptionPause = "Pause";
inline constexpr std::string_view kCaptionResume = "Resume";

// The run state; StartButton's caption mirrors it ("Start", "Pause", "Resume").
enum class RunState { Idle, Running, Paused };
constexpr std::string_view captionOf(RunState state)
{
    return state == RunState::Running ? kCaptionPause : state == RunState::Paused ? kCaptionResume : kCaptionStart;
}

// The controls that a run disables and enables.
enum class RunControl {
    ExportButton,
    PickFolderButton,
    IgnoreDateFilterRadio,
    DateFilterRadio,
    FromDatePickerText,
    ToDatePickerText,
};

class RunView {
public:
    virtual ~RunView() = default;
    // The run state, shown as StartButton's caption.
    virtual RunState runState() const = 0;
    virtual void setRunState(RunState state) = 0;
    virtual void setControlEnabled(RunControl control, bool enabled) = 0;
    virtual bool ignoreDateFilterSelected() const = 0;
    virtual void selectIgnoreDateFilter() = 0;
    virtual DateFilterState dateFilter() const = 0;
    virtual void focusControl(RunControl control) = 0;

    // The panel and the lists (the window's methods).
    virtual void ResetLabels() = 0;
    virtual bool UpdateLabels() = 0;
    virtual void UpdateSenderReceiverList() = 0;
    // The number ProgressNumMaxLabel shows (the picked folder's item count).
    virtual double progressNumMax() const = 0;
    virtual void showCurrentFolder(const std::string& name) = 0;
    virtual void showCurrentMessage(const std::string& subject) = 0;

    virtual void repaint() = 0;
    // Serves pending events (clicks, close requests, repaints).
    virtual void yield() = 0;
    // Form_Terminate: shutdown in order; the program ends after it.
    virtual void terminate() = 0;
};

// The objects a run works on, owned by the application object.
struct RunContext {
    AnalysisState& state;
    RunPosition& position;
    MailFolder*& oPickedFolder;
    RunView& view;
    Prompts& prompts;
    UsageLog& usageLog;
    // The run's start ends its date window.
    Clock& clock;
    // How the date boxes and the dates quoted in bodies are read.
    const DateLocale& dateLocale;
};

class RunController {
public:
    explicit RunController(RunContext context) : m(context) {}

    // The button's click handler, by the run state.
    void StartButton_Click();
    // The close request; returns true to refuse the close.
    bool Form_QueryUnload();
    // Walks one folder and its subfolders.
    void ProcessFolder(MailFolder& folder, long startMsgIndex);

    // True once the program was ended from inside the walk.
    bool terminated() const { return m_terminated; }

    // Times the replies of a paused run that wait for the Message-ID index,
    // waiting for the index if need be: before its results are exported.
    void completeReplies();
    // Another folder was chosen or the window closes: the run's index is
    // stopped and dropped; Resume is no longer possible.
    void abandonRun() { m_threads.abandon(); }
    // The run's index, for tests and benchmarks that watch its build.
    ThreadIndexBuild& threadIndex() { return m_threads; }
    // Threads that read items ahead of the walk (0: the walk reads them);
    // the figures are the same with any number.
    void setParseThreads(unsigned threads) { m_ahead.setThreads(threads); }
    // Parser processes for those threads to hand items to (see RemoteParse.h).
    void setParseProcesses(ParseChannelFactory processes) { m_ahead.setProcesses(std::move(processes)); }
    const ParseAhead& parseAhead() const { return m_ahead; }
    ParseAhead& parseAhead() { return m_ahead; }

private:
    void start();
    void resume();
    void disableRunControls();
    void endRun();
    void walkItems(MailFolder& folder, long startMsgIndex);
    void walkSubfolders(MailFolder& folder, std::size_t first);
    void resumeWalk();
    std::vector<MailFolder*> foldersOnRunPath() const;
    void endIfOutermost();
    bool paused() const;
    // Runs one store call; when the store lost its connection, pauses the
    // run at item `index` of `folder` and returns false.
    bool readOrPause(MailFolder& folder, long index, const std::function<void()>& read);

    RunContext m;
    DateFilter m_filter;
    int m_depth = 0;
    bool m_terminated = false;
    // Positions of the subfolders on the way from the run's root down to
    // the folder being walked.
    std::vector<std::size_t> m_path;
    // Started by Start, kept while the run is paused, freed when it ends.
    ThreadIndexBuild m_threads;
    // Reads the items of the folder being walked ahead of it.
    ParseAhead m_ahead;
};

} // namespace brisk
