#pragma once
// Working days and hours, an installation setting: which part of the week
// counts as working time when the insights ask how much mail falls in it.
//
// Text forms (BRISK_WORKING_DAYS, BRISK_WORKING_HOURS):
// - days: comma-separated English day names of three letters (any case) or
//   ranges "Day-Day" of them; a range runs forward through the week and
//   wraps after Sunday, so "Sun-Thu" is Sunday to Thursday. "Mon-Fri".
// - hours: "HH:00-HH:00" on the 24-hour clock, start before end, end up to
//   24:00. The analysis keeps each item's hour of day, not its minute, so
//   working time begins and ends on the hour: an item received at h:mm is
//   in working hours when start <= h < end ("09:00-18:00" takes 09:00 to
//   17:59).
// The parsers are constexpr so that a bad setting fails the build.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace brisk {

struct WorkingTime {
    std::array<bool, 7> days{true, true, true, true, true, false, false}; // Monday first
    int startHour = 9;
    int endHour = 18;

    // weekday 1..7 (Monday = 1), hour of day 0..23.
    constexpr bool contains(int weekday, int hour) const
    {
        return weekday >= 1 && weekday <= 7 && days[static_cast<std::size_t>(weekday - 1)] && hour >= startHour &&
               hour < endHour;
    }
    friend bool operator==(const WorkingTime&, const WorkingTime&) = default;
};

namespace working_time_detail {

constexpr std::string_view trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

constexpr char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// 0 for Monday ... 6 for Sunday.
constexpr std::optional<int> dayIndex(std::string_view name)
{
    constexpr std::string_view names[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    name = trim(name);
    if (name.size() != 3)
        return std::nullopt;
    for (int d = 0; d < 7; ++d)
        if (lower(name[0]) == names[d][0] && lower(name[1]) == names[d][1] && lower(name[2]) == names[d][2])
            return d;
    return std::nullopt;
}

// "H", "HH" or "HH:00"-style whole hours only: the hour, or nullopt.
constexpr std::optional<int> wholeHour(std::string_view text)
{
    text = trim(text);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.substr(colon + 1) != "00")
        return std::nullopt;
    int hour = 0;
    for (const char c : text.substr(0, colon)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        hour = hour * 10 + (c - '0');
    }
    return hour;
}

} // namespace working_time_detail

constexpr std::optional<std::array<bool, 7>> parseWorkingDays(std::string_view text)
{
    using namespace working_time_detail;
    std::array<bool, 7> days{};
    bool any = false;
    while (true) {
        const auto comma = text.find(',');
        const std::string_view piece = text.substr(0, comma);
        const auto dash = piece.find('-');
        const auto first = dayIndex(piece.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : dayIndex(piece.substr(dash + 1));
        if (!first || !last)
            return std::nullopt;
        for (int d = *first;; d = (d + 1) % 7) {
            days[static_cast<std::size_t>(d)] = true;
            if (d == *last)
                break;
        }
        any = true;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (!any)
        return std::nullopt;
    return days;
}

// The hours as {start, end}.
constexpr std::optional<std::array<int, 2>> parseWorkingHours(std::string_view text)
{
    using namespace working_time_detail;
    const auto dash = text.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const auto start = wholeHour(text.substr(0, dash));
    const auto end = wholeHour(text.substr(dash + 1));
    if (!start || !end || *start > 23 || *end > 24 || *start >= *end)
        return std::nullopt;
    return std::array<int, 2>{*start, *end};
}

constexpr std::optional<WorkingTime> parseWorkingTime(std::string_view days, std::string_view hours)
{
    const auto d = parseWorkingDays(days);
    const auto h = parseWorkingHours(hours);
    if (!d || !h)
        return std::nullopt;
    return WorkingTime{*d, (*h)[0], (*h)[1]};
}

// "Mon-Fri", "Mon-Thu, Sun": runs of days in week order, Monday first.
std::string formatWorkingDays(const std::array<bool, 7>& days);
// "09:00-18:00".
std::string formatWorkingHours(const WorkingTime& time);

} // namespace brisk
