// The usage-log reader of the report: a log's bytes streamed into its row
// must give exactly the row that reading the whole log line by line gives.

#include "dates/DateValue.h"
#include "shell/UsageLogRows.h"
#include "tests/fuzz/FuzzSupport.h"

#include <sstream>
#include <vector>

using namespace brisk;

namespace {

// The row as the report's rule states it: every line as std::getline gives
// it (a CR before the break dropped) followed by a comma, the text split at
// every comma, the duration from part 0 to the part two before the last.
std::string referenceRow(const std::string& text)
{
    std::istringstream in(text);
    std::string s;
    for (std::string line; std::getline(in, line);)
        s += (line.ends_with('\r') ? line.substr(0, line.size() - 1) : line) + ",";
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t comma; (comma = s.find(',', from)) != std::string::npos; from = comma + 1)
        parts.push_back(s.substr(from, comma - from));
    parts.push_back(s.substr(from));
    std::int64_t minutes = 0;
    if (parts.size() > 3) {
        const auto first = parseLogTimestamp(parts[0]), last = parseLogTimestamp(parts[parts.size() - 3]);
        minutes = first && last ? minutesBetween(*first, *last) : 0;
    }
    return "o," + std::to_string(minutes) + "," + s;
}

} // namespace

void brisk::fuzz::fuzzOne(std::string_view input)
{
    static ScratchFile file(".txt");
    const int fd = ::open(file.write(input).c_str(), O_RDONLY | O_CLOEXEC);
    require(fd >= 0);
    LogRowText streamed;
    std::string row;
    const std::int64_t length = streamLog(fd, -1, streamed, [&](std::string_view text) { row += text; });
    ::close(fd);
    require(length == std::int64_t(input.size()));
    require("o," + std::to_string(streamed.durationMinutes()) + "," + row == referenceRow(std::string(input)));
}
