#include "engine/WorkingTime.h"

#include <cstdio>

namespace brisk {

std::string formatWorkingDays(const std::array<bool, 7>& days)
{
    static const char* const names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    std::string out;
    for (int d = 0; d < 7; ++d) {
        if (!days[static_cast<std::size_t>(d)])
            continue;
        int last = d;
        while (last + 1 < 7 && days[static_cast<std::size_t>(last + 1)])
            ++last;
        out += (out.empty() ? "" : ", ") + std::string(names[d]);
        if (last > d)
            out += std::string("-") + names[last];
        d = last;
    }
    return out;
}

std::string formatWorkingHours(const WorkingTime& time)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:00-%02d:00", time.startHour, time.endHour);
    return text;
}

} // namespace brisk
