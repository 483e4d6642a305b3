// The date-text parser of the date boxes and of quoted "Sent: " lines, and
// the usage log's time stamps, in both day orders.

#include "dates/DateText.h"
#include "dates/DateValue.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace brisk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst}) {
        if (auto date = parseDateText(text, order)) {
            volatile double value = *date;
            (void)value;
        }
    }
    if (auto stamp = parseLogTimestamp(text)) {
        volatile double value = *stamp;
        (void)value;
    }
    return 0;
}
