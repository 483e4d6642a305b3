#include "shell/CliAnalysis.h"

#include "shell/CliInsights.h"
#include "shell/TerminalText.h"
#include "stats/Rounding.h"

#include <iomanip>
#include <ostream>
#include <sstream>

namespace brisk {
namespace {

constexpr PanelBox kPanelValueBoxes[] = {
    PanelBox::ProgressNumLabel,     PanelBox::ProgressNumMaxLabel,    PanelBox::DailyEmailsAvgLabel,
    PanelBox::DailyEmailsMaxLabel,  PanelBox::EmailLgtWordsLabel,     PanelBox::EmailSizeKBLabel,
    PanelBox::ReAndFwdPercentLabel, PanelBox::OneToOneEmailPCLabel,   PanelBox::MedianResponseHrLabel,
    PanelBox::MedianResponseMinLabel, PanelBox::NumValidEmailsLabel,
};

const char* kWeekdays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

template <int N>
void jsonCounts(std::ostream& out, const Buckets<N>& counts)
{
    out << '[';
    for (int i = 1; i <= N; ++i)
        out << (i > 1 ? "," : "") << counts(i);
    out << ']';
}

void jsonTopList(std::ostream& out, const std::array<std::string, TopListTables::kSlots>& names,
                 const std::array<std::optional<std::int32_t>, TopListTables::kSlots>& counts,
                 const std::array<std::optional<double>, TopListTables::kSlots>& shares)
{
    out << '[';
    bool first = true;
    for (int p = 0; p < TopListTables::kSlots; ++p) {
        if (names[p].empty())
            continue;
        out << (first ? "" : ",") << "{\"name\":" << jsonString(names[p]) << ",\"count\":" << counts[p].value_or(0)
            << ",\"share\":" << formatNumber(shares[p].value_or(0)) << '}';
        first = false;
    }
    out << ']';
}

std::string jsonDate(const AnalysisState& s, DateValue d)
{
    return s.lEmailsAnalysed == 0 ? "null" : jsonString(formatIsoTimestamp(d));
}

std::string bar(double percent)
{
    return std::string(static_cast<std::size_t>(std::max(0.0, roundHalfEven(percent / 2))), '#');
}

template <int N>
void textDistribution(std::ostream& out, const char* title, const Buckets<N>& counts,
                      const PercentBuckets<N>& percent, auto label)
{
    out << '\n' << title << '\n';
    for (int i = 1; i <= N; ++i)
        out << "  " << std::left << std::setw(6) << label(i) << std::right << std::setw(8) << counts(i) << std::setw(6)
            << formatNumber(roundHalfEven(percent(i))) << "% " << bar(percent(i)) << '\n';
}

} // namespace

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // U+0080..U+009F (C2 80..C2 9F) are C1 controls that a terminal may
        // act on: escaped like the C0 controls.
        if (c == '\xC2' && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0
            && static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += buf;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void printJsonResults(const AppState& app, const HeadlessWindow& window, const std::vector<std::string>& errors,
                      std::ostream& out)
{
    const AnalysisState& s = app.analysis;
    out << "{\"lEmailsProcessed\":" << s.lEmailsProcessed << ",\"lEmailsAnalysed\":" << s.lEmailsAnalysed
        << ",\"lResponseCount\":" << s.lResponseCount << ",\"responseSources\":{\"sentLine\":"
        << s.responseSources[0] << ",\"threading\":" << s.responseSources[1]
        << ",\"attribution\":" << s.responseSources[2] << '}' << ",\"lOneToOneEmails\":" << s.lOneToOneEmails
        << ",\"lTotalChars\":" << s.lTotalChars << ",\"lTotalWords\":" << s.lTotalWords
        << ",\"lTotalSizeKB\":" << s.lTotalSizeKB << ",\"lTotalSizeWithAttKB\":" << s.lTotalSizeWithAttKB
        << ",\"lTotalSizeWoAttKB\":" << s.lTotalSizeWoAttKB << ",\"dFirstEmailDate\":"
        << jsonDate(s, s.dFirstEmailDate) << ",\"dLastEmailDate\":" << jsonDate(s, s.dLastEmailDate)
        << ",\"vHourCount\":";
    jsonCounts(out, s.vHourCount);
    out << ",\"vWeekdayCount\":";
    jsonCounts(out, s.vWeekdayCount);
    out << ",\"vMonthCount\":";
    jsonCounts(out, s.vMonthCount);
    out << ",\"panel\":{";
    bool first = true;
    for (PanelBox box : kPanelValueBoxes) {
        out << (first ? "" : ",") << jsonString(panelBoxName(box)) << ':' << jsonString(window.panel.boxText(box));
        first = false;
    }
    const TopListTables& t = app.topLists;
    out << "},\"topSenders\":";
    jsonTopList(out, t.vTopSenderNames, t.vTopSenderCounts, t.vTopSenderShares);
    out << ",\"topReceivers\":";
    jsonTopList(out, t.vTopReceiverNames, t.vTopReceiverCounts, t.vTopReceiverShares);
    // The weekday by hour map, reply-time percentiles and shares.
    out << ",\"insights\":" << insightsJson(computeInsights(s, app.settings.workingTime), app.settings.workingTime);
    out << ",\"errors\":[";
    for (std::size_t i = 0; i < errors.size(); ++i)
        out << (i ? "," : "") << jsonString(errors[i]);
    out << "]}\n";
}

void printTextResults(const AppState& app, const HeadlessWindow& window, std::ostream& terminal)
{
    // Folder and top-list names come from the store: shown terminal-safe.
    std::ostringstream out;
    const AnalysisState& s = app.analysis;
    const auto box = [&](PanelBox b) { return window.panel.boxText(b); };
    out << "Folder             " << box(PanelBox::PickedFolderLabel) << '\n'
        << "Messages analysed  " << box(PanelBox::ProgressNumLabel) << " of " << box(PanelBox::ProgressNumMaxLabel)
        << ' ' << box(PanelBox::NumValidEmailsLabel) << '\n';
    if (s.lEmailsAnalysed > 0)
        out << "Period             " << formatShortDate(s.dFirstEmailDate) << " to "
            << formatShortDate(s.dLastEmailDate) << '\n';
    out << "Emails / day       Avg " << box(PanelBox::DailyEmailsAvgLabel) << "  Max "
        << box(PanelBox::DailyEmailsMaxLabel) << '\n'
        << "One-to-one         " << box(PanelBox::OneToOneEmailPCLabel) << " %\n"
        << "Re: and Fw:        " << box(PanelBox::ReAndFwdPercentLabel) << " %\n"
        << "Length             " << box(PanelBox::EmailLgtWordsLabel) << " words\n"
        << "Size               " << box(PanelBox::EmailSizeKBLabel) << " kb\n"
        << "Time to reply      " << box(PanelBox::MedianResponseHrLabel) << " hr "
        << box(PanelBox::MedianResponseMinLabel) << " min\n";
    for (int list = 0; list < 2; ++list) {
        out << '\n' << (list == 0 ? "Top senders" : "Top receivers") << '\n';
        for (const auto& line : window.lists.lines[list])
            out << "  " << line << '\n';
    }
    textDistribution(out, "Time of day", s.vHourCount, s.vHourPercent, [](int i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d-%02d", i - 1, i);
        return std::string(buf);
    });
    textDistribution(out, "Day of week", s.vWeekdayCount, s.vWeekdayPercent,
                     [](int i) { return std::string(kWeekdays[i - 1]); });
    textDistribution(out, "Month of year", s.vMonthCount, s.vMonthPercent,
                     [](int i) { return std::string(kMonths[i - 1]); });
    printInsightsText(computeInsights(s, app.settings.workingTime), app.settings.workingTime, out);
    terminal << terminalSafe(out.str());
}

} // namespace brisk
