#pragma once
// Text to date, as the platform's locale-aware conversion reads the date
// boxes and the quoted "Sent: " lines of replies and forwards.

#include "dates/DateValue.h"

#include <optional>
#include <string_view>

namespace brisk {

enum class DateOrder { DayFirst, MonthFirst };

// Month-first when the effective LC_TIME locale's territory is US, else
// day-first. Read from LC_ALL, LC_TIME, LANG in that order.
DateOrder localeDateOrder();

// Reads a date (and an optional time) from text; nullopt when it is not one.
std::optional<DateValue> parseDateText(std::string_view text, DateOrder order);
// The same in the order of the user's locale.
std::optional<DateValue> parseDateText(std::string_view text);

} // namespace brisk
