#pragma once
// Helpers of the date tests: date values written as readable texts; ScopedEnv
// sets the time zone and locale for one scope.

#include "dates/DateValue.h"
#include "tests/support/ScopedEnv.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace brisk::test {

// "YYYY-MM-DD HH:MM:SS", or "refused" for no value, so that tables of
// expected results read as text.
inline std::string isoOrRefused(std::optional<DateValue> value)
{
    return value ? formatIsoTimestamp(*value) : std::string("refused");
}

} // namespace brisk::test
