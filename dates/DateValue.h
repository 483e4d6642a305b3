#pragma once
// The date value: one double counting days from 30 December 1899 00:00, the
// fraction being the time of day, in local time. Differences count the
// boundaries of a unit crossed from the first date to the second, so the time
// below the unit plays no part (09:08:59 to 09:09:01 is one minute).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brisk {

using DateValue = double;

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

bool isValidDate(int year, int month, int day);
// No validation: callers pass a real calendar date (see isValidDate).
DateValue makeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Whole seconds since the epoch of the date value (rounded to the nearest).
std::int64_t toSeconds(DateValue value);
DateValue fromSeconds(std::int64_t seconds);
DateParts splitDate(DateValue value);

int weekdayOf(DateValue value);   // Monday = 1 ... Sunday = 7
DateValue datePart(DateValue value);

std::int64_t daysBetween(DateValue from, DateValue to);
std::int64_t hoursBetween(DateValue from, DateValue to);
std::int64_t minutesBetween(DateValue from, DateValue to);

std::string formatLogTimestamp(DateValue value);   // "DD-MM-YY HH:MM:SS"
std::string formatFileTimestamp(DateValue value);  // "DD-MM-YY HH-MM-SS"
std::string formatShortDate(DateValue value);      // "DD/MM/YY"
std::string formatIsoTimestamp(DateValue value);   // "YYYY-MM-DD HH:MM:SS"

// Exactly "DD-MM-YY HH:MM:SS" (the usage log's form); two-digit years 00-29
// are 2000-2029, 30-99 are 1930-1999.
std::optional<DateValue> parseLogTimestamp(std::string_view text);

// Two-digit years: 00-29 mean 2000-2029, 30-99 mean 1930-1999.
int expandTwoDigitYear(int year);

// The year a number written with `digits` digits stands for in a date text:
// four digits as written, two through the pivot above, any other length none.
std::optional<int> yearOfNumber(int digits, int value);

} // namespace brisk
