// The date-text parser of the date boxes and of quoted "Sent: " lines, and
// the usage log's time stamps, in both day orders.

#include "dates/DateText.h"
#include "dates/DateValue.h"
#include "tests/fuzz/FuzzSupport.h"

void brisk::fuzz::fuzzOne(std::string_view text)
{
    for (DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst})
        if (auto date = parseDateText(text, order))
            require(*date == *date); // reads the value: no NaN, no uninitialised bytes
    if (auto stamp = parseLogTimestamp(text))
        require(*stamp == *stamp);
}
