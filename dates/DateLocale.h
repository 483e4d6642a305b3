#pragma once
// How the user writes and reads dates: the order of numeric dates (from the
// locale) and the time zone. Made once at start-up from the environment and
// passed down; the default is the C locale in UTC.

#include "dates/DateText.h"
#include "dates/TimeZone.h"

namespace brisk {

struct DateLocale {
    DateOrder order = DateOrder::DayFirst;
    TimeZone zone = TimeZone::utc();
};

} // namespace brisk
