#include "engine/ResultsPanel.h"

#include "engine/MailStore.h"
#include "engine/Services.h"
#include "engine/StepGuard.h"
#include "stats/Rounding.h"

#include <cmath>
#include <exception>
#include <string>

namespace brisk {
namespace {

constexpr const char* kBoxNames[kPanelBoxCount] = {
    "ProgressNumLabel",     "ProgressNumMaxLabel",    "DailyEmailsAvgLabel",   "DailyEmailsMaxLabel",
    "EmailLgtWordsLabel",   "EmailSizeKBLabel",       "ReAndFwdPercentLabel",  "OneToOneEmailPCLabel",
    "MedianResponseHrLabel", "MedianResponseMinLabel", "NumValidEmailsLabel",  "PickedFolderLabel",
    "CurtFolderLabel",      "CurtMsgLabel",
};

// The panel's boxes hold plain whole numbers; read them back as numbers.
double boxNumber(const PanelView& view, PanelBox box)
{
    const std::string text = view.boxText(box);
    std::size_t used = 0;
    const double value = std::stod(text, &used);
    if (used != text.size())
        throw std::invalid_argument("not a number: " + text);
    return value;
}

// The figures are whole numbers, refreshed after every item: integers take
// the short way around printf's floating-point formatting.
std::string whole(double value)
{
    if (std::abs(value) < 1e15 && value == std::floor(value))
        return std::to_string(static_cast<long long>(value));
    return formatNumber(value);
}

template <int N>
void scaleToPercent(const Buckets<N>& counts, PercentBuckets<N>& percent, double sum)
{
    const double factor = 100.0 / sum;
    for (int i = 1; i <= N; ++i)
        percent(i) = counts(i) * factor;
}

template <int N>
double sumOf(const Buckets<N>& counts)
{
    double sum = 0;
    for (int i = 1; i <= N; ++i)
        sum += counts(i);
    return sum;
}

} // namespace

const char* panelBoxName(PanelBox box) { return kBoxNames[static_cast<int>(box)]; }

void TextPanel::setBoxText(PanelBox box, const std::string& text) { texts[static_cast<int>(box)] = text; }
std::string TextPanel::boxText(PanelBox box) const { return texts[static_cast<int>(box)]; }

double medianResponseMinutes(const AnalysisState& state)
{
    return state.responseMinutes.median();
}

namespace {

// Processed items, and the picked folder's own item count.
void showCounts(const AnalysisState& s, MailFolder* picked, PanelView& view, const StepGuard& step)
{
    step([&] { view.setBoxText(PanelBox::ProgressNumLabel, std::to_string(s.lEmailsProcessed)); });
    step([&] {
        if (!picked)
            throw StoreError("no folder picked");
        view.setBoxText(PanelBox::ProgressNumMaxLabel, std::to_string(picked->itemCount()));
    });
}

// Each distribution as percentages of its own total.
void scaleDistributions(AnalysisState& s, const StepGuard& step)
{
    step([&] {
        const double hours = sumOf(s.vHourCount), days = sumOf(s.vWeekdayCount), months = sumOf(s.vMonthCount);
        scaleToPercent(s.vHourCount, s.vHourPercent, hours);
        scaleToPercent(s.vWeekdayCount, s.vWeekdayPercent, days);
        scaleToPercent(s.vMonthCount, s.vMonthPercent, months);
    });
}

// Mail per day, length and size per item; the averages the workbook shows.
void showAverages(AnalysisState& s, PanelView& view, const StepGuard& step)
{
    const double analysed = s.lEmailsAnalysed;
    step([&] {
        const auto days = daysBetween(s.dFirstEmailDate, s.dLastEmailDate);
        view.setBoxText(PanelBox::DailyEmailsAvgLabel, whole(roundHalfEven(analysed / (days + 1))));
    });
    step([&] { view.setBoxText(PanelBox::DailyEmailsMaxLabel, std::to_string(s.dayCountMax)); });
    step([&] { s.vAvgEmailChars = roundHalfEven(s.lTotalChars / analysed); });
    step([&] { view.setBoxText(PanelBox::EmailLgtWordsLabel, whole(roundHalfEven(s.lTotalWords / analysed))); });
    step([&] { view.setBoxText(PanelBox::EmailSizeKBLabel, whole(roundHalfEven(s.lTotalSizeKB / analysed))); });
    step([&] {
        s.vAvgSizeWithAttKB = roundHalfEven(s.lTotalSizeWithAttKB / analysed);
        s.vAvgSizeWoAttKB = roundHalfEven(s.lTotalSizeWoAttKB / analysed);
    });
}

// The shares of replies and of one-to-one mail, and the median response time.
void showReplies(const AnalysisState& s, PanelView& view, const StepGuard& step)
{
    const double analysed = s.lEmailsAnalysed;
    step([&] {
        const double percent = checkedMul(s.lResponseCount, 100) / analysed;
        view.setBoxText(PanelBox::ReAndFwdPercentLabel, whole(roundHalfEven(percent)));
    });
    step([&] {
        const double percent = checkedMul(s.lOneToOneEmails, 100) / analysed;
        view.setBoxText(PanelBox::OneToOneEmailPCLabel, whole(roundHalfEven(percent)));
    });
    if (s.lResponseCount > 0) {
        step([&] {
            const double median = medianResponseMinutes(s);
            view.setBoxText(PanelBox::MedianResponseHrLabel, whole(std::floor(median / 60)));
            view.setBoxText(PanelBox::MedianResponseMinLabel, whole(std::fmod(roundHalfEven(median), 60.0)));
        });
    }
}

// The progress bar and the count of mail found.
void showProgress(const AnalysisState& s, PanelView& view, const StepGuard& step)
{
    step([&] {
        const double max = boxNumber(view, PanelBox::ProgressNumMaxLabel);
        if (max > 0)
            view.SetProgressBar(boxNumber(view, PanelBox::ProgressNumLabel) / max);
    });
    step([&] {
        view.setBoxText(PanelBox::NumValidEmailsLabel,
                        "(" + std::to_string(s.lEmailsAnalysed) + " email messages found)");
    });
}

} // namespace

bool UpdateLabels(AnalysisState& s, MailFolder* picked, PanelView& view, Prompts& prompts)
{
    bool result = true;
    const StepGuard step(prompts, "Updatelabels", s.lEmailsProcessed);
    showCounts(s, picked, view, step);
    if (s.lEmailsAnalysed != 0) {
        scaleDistributions(s, step);
        showAverages(s, view, step);
        showReplies(s, view, step);
        step([&] { result = view.writeChart(); });
    }
    showProgress(s, view, step);
    return result;
}

void ResetLabels(AnalysisState& s, MailFolder* picked, PanelView& view, Prompts& prompts)
{
    const StepGuard step(prompts, "ResetLabels", s.lEmailsProcessed);
    step([&] { resetStatistics(s); });
    step([&] {
        if (!picked)
            throw StoreError("no folder picked");
        view.setBoxText(PanelBox::PickedFolderLabel, picked->name());
    });
    step([&] {
        view.setBoxText(PanelBox::CurtFolderLabel, "<none>");
        view.setBoxText(PanelBox::CurtMsgLabel, "<none>");
        view.setBoxText(PanelBox::DailyEmailsAvgLabel, "0");
        view.setBoxText(PanelBox::DailyEmailsMaxLabel, "0");
        view.setBoxText(PanelBox::EmailLgtWordsLabel, std::to_string(s.lTotalWords));
        view.setBoxText(PanelBox::EmailSizeKBLabel, std::to_string(s.lTotalSizeKB));
        view.setBoxText(PanelBox::ReAndFwdPercentLabel, std::to_string(s.lResponseCount));
        view.setBoxText(PanelBox::OneToOneEmailPCLabel, "0");
        view.setBoxText(PanelBox::MedianResponseHrLabel, "");
        view.setBoxText(PanelBox::MedianResponseMinLabel, "");
    });
    UpdateLabels(s, picked, view, prompts);
}

} // namespace brisk
