#pragma once
// Text to date, as the platform's locale-aware conversion reads the date
// boxes and the quoted "Sent: " lines of replies and forwards.

#include "dates/DateValue.h"

#include <optional>
#include <string_view>

namespace brisk {

enum class DateOrder { DayFirst, MonthFirst };

// The order of a locale name (language[_territory][.codeset][@modifier]):
// month-first when its territory is US, else day-first. The program passes
// the name of its effective LC_TIME locale.
DateOrder dateOrderOfLocale(std::string_view localeName);

// Reads a date (and an optional time) from text; nullopt when it is not one.
std::optional<DateValue> parseDateText(std::string_view text, DateOrder order);

} // namespace brisk
