#pragma once
// The results panel's figures: what UpdateLabels and ResetLabels write into
// the window's value boxes, computed here so that the window, the command
// line and the tests share one implementation.

#include "engine/AnalysisState.h"

#include <string>

namespace brisk {

class MailFolder;
class Prompts;

// The controls the panel writes (their object names in the window).
enum class PanelBox {
    ProgressNumLabel,
    ProgressNumMaxLabel,
    DailyEmailsAvgLabel,
    DailyEmailsMaxLabel,
    EmailLgtWordsLabel,
    EmailSizeKBLabel,
    ReAndFwdPercentLabel,
    OneToOneEmailPCLabel,
    MedianResponseHrLabel,
    MedianResponseMinLabel,
    NumValidEmailsLabel,
    PickedFolderLabel,
    CurtFolderLabel,
    CurtMsgLabel,
};
inline constexpr int kPanelBoxCount = 14;
const char* panelBoxName(PanelBox box);

// What the panel needs from whatever shows it.
class PanelView {
public:
    virtual ~PanelView() = default;
    virtual void setBoxText(PanelBox box, const std::string& text) = 0;
    virtual std::string boxText(PanelBox box) const = 0;
    // The progress bar: `percentage` is the fraction of the work done.
    virtual void SetProgressBar(double percentage) = 0;
    // Writes the selected chart mode's percentages; false when the chart
    // could not be written in time. May throw.
    virtual bool writeChart() = 0;
};

// Refreshes the panel from the state (and writes the derived averages and
// percentages into it). Returns true, or the chart write's result.
bool UpdateLabels(AnalysisState& state, MailFolder* pickedFolder, PanelView& view, Prompts& prompts);
// Clears the run's statistics and shows the idle texts, then refreshes.
void ResetLabels(AnalysisState& state, MailFolder* pickedFolder, PanelView& view, Prompts& prompts);

// The median response time in minutes, over the response times that exist.
double medianResponseMinutes(const AnalysisState& state);

// A panel held as texts, for the command line and tests.
class TextPanel : public PanelView {
public:
    void setBoxText(PanelBox box, const std::string& text) override;
    std::string boxText(PanelBox box) const override;
    void SetProgressBar(double percentage) override { progress = percentage; }
    bool writeChart() override { return true; }

    std::string texts[kPanelBoxCount];
    double progress = 0;
};

} // namespace brisk
