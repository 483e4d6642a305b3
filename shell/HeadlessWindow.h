#pragma once
// The window without a screen: the run control, the results panel and the
// top lists kept as texts, for brisk-cli and for tests of whole runs.

#include "engine/ResultsPanel.h"
#include "engine/RunControl.h"
#include "engine/Session.h"
#include "engine/TopLists.h"

#include <functional>
#include <string>

namespace brisk {

class HeadlessWindow : public RunView {
public:
    HeadlessWindow(AppState& app, Prompts& prompts, UsageLog& log, Clock& clock);

    // RunView
    RunState runState() const override { return m_state; }
    void setRunState(RunState state) override { m_state = state; }
    void setControlEnabled(RunControl control, bool enabled) override;
    bool ignoreDateFilterSelected() const override { return !dates.DateFilterRadio; }
    void selectIgnoreDateFilter() override { dates.DateFilterRadio = false; }
    DateFilterState dateFilter() const override { return dates; }
    void focusControl(RunControl control) override { focused = control; }
    void ResetLabels() override;
    bool UpdateLabels() override;
    void UpdateSenderReceiverList() override;
    double progressNumMax() const override;
    void showCurrentFolder(const std::string& name) override { panel.setBoxText(PanelBox::CurtFolderLabel, name); }
    void showCurrentMessage(const std::string& subject) override { panel.setBoxText(PanelBox::CurtMsgLabel, subject); }
    void repaint() override {}
    void yield() override;
    void terminate() override {}

    RunController& controller() { return m_controller; }
    // The caption a window's Start button would show.
    std::string startCaption() const { return std::string(captionOf(m_state)); }

    DateFilterState dates;
    TextPanel panel;
    TextTopLists lists;
    bool enabled[6] = {false, true, true, true, false, false};
    RunControl focused = RunControl::ExportButton;
    // Called after every item (progress display, test hooks).
    std::function<void()> onYield;

private:
    AppState& m_app;
    Prompts& m_prompts;
    RunState m_state = RunState::Idle;
    RunController m_controller;
};

} // namespace brisk
