#include "shell/CliInsights.h"

#include "stats/Rounding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <ostream>

namespace brisk {
namespace {

using Json = nlohmann::ordered_json;

const char* const kDays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

// Ten shades from none to the busiest cell.
constexpr const char* kShades = " .:-=+*#%@";

char shade(std::int64_t count, std::int64_t busiest)
{
    if (count <= 0 || busiest <= 0)
        return kShades[0];
    return kShades[(count * 9 + busiest - 1) / busiest]; // 1..9, rounded up
}

std::string percentText(double share)
{
    return formatNumber(roundHalfEven(share * 100)) + " %";
}

} // namespace

std::string hoursAndMinutes(std::int64_t minutes)
{
    const std::string sign = minutes < 0 ? "-" : "";
    const std::int64_t magnitude = minutes < 0 ? -minutes : minutes;
    if (magnitude < 60)
        return sign + std::to_string(magnitude) + " min";
    return sign + std::to_string(magnitude / 60) + " h " + std::to_string(magnitude % 60) + " min";
}

std::string insightsJson(const Insights& in, const WorkingTime& working)
{
    Json j;
    j["heatmap"] = in.heatmap;
    j["responsePercentiles"] = nullptr;
    if (const auto& p = in.responsePercentiles)
        j["responsePercentiles"] = {{"p25", p->p25}, {"p50", p->p50}, {"p75", p->p75}, {"p90", p->p90}};
    j["answeredWithin"] = nullptr;
    if (const auto& a = in.answeredWithin)
        j["answeredWithin"] = {{"hour", a->hour}, {"day", a->day}, {"week", a->week}};
    j["workingHoursShare"] = nullptr;
    if (in.workingHoursShare)
        j["workingHoursShare"] = *in.workingHoursShare;
    j["workingDays"] = formatWorkingDays(working.days);
    j["workingHours"] = formatWorkingHours(working);
    return j.dump();
}

void printInsightsText(const Insights& in, const WorkingTime& working, std::ostream& out)
{
    std::int64_t busiest = 0;
    for (const auto& row : in.heatmap)
        busiest = std::max<std::int64_t>(busiest, *std::max_element(row.begin(), row.end()));
    out << "\nWeekday by hour\n        0     6     12    18\n";
    for (std::size_t w = 0; w < in.heatmap.size(); ++w) {
        out << "  " << kDays[w] << "   ";
        for (const std::int32_t count : in.heatmap[w])
            out << shade(count, busiest);
        out << '\n';
    }
    out << "        blank: none, @: " << busiest << " e-mails in one hour of the week\n";
    if (const auto& p = in.responsePercentiles)
        out << "Reply times        25% " << hoursAndMinutes(p->p25) << ", 50% " << hoursAndMinutes(p->p50)
            << ", 75% " << hoursAndMinutes(p->p75) << ", 90% " << hoursAndMinutes(p->p90) << '\n';
    if (const auto& a = in.answeredWithin)
        out << "Answered within    an hour " << percentText(a->hour) << ", a day " << percentText(a->day)
            << ", a week " << percentText(a->week) << '\n';
    if (in.workingHoursShare)
        out << "Working hours      " << percentText(*in.workingHoursShare) << " (" << formatWorkingDays(working.days)
            << ' ' << formatWorkingHours(working) << ")\n";
}

} // namespace brisk
