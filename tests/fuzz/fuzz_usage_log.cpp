// The usage-log reader of the report: a log's bytes streamed into its row
// must give exactly the row that reading the whole log line by line gives.

#include "shell/UsageLogRows.h"
#include "dates/DateValue.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace brisk;

namespace {

// Lines as std::getline gives them, a CR before the line break dropped.
std::vector<std::string> wholeLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The row as the report's rule states it: every line followed by a comma,
// the text split at every comma, the duration from part 0 to the part two
// before the last.
std::string referenceRow(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines)
        s += line + ",";
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t comma; (comma = s.find(',', from)) != std::string::npos; from = comma + 1)
        parts.push_back(s.substr(from, comma - from));
    parts.push_back(s.substr(from));
    std::int64_t minutes = 0;
    if (parts.size() - 1 > 2) {
        const auto first = parseLogTimestamp(parts[0]);
        const auto last = parseLogTimestamp(parts[parts.size() - 3]);
        if (first && last)
            minutes = minutesBetween(*first, *last);
    }
    return "o," + std::to_string(minutes) + "," + s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::ScratchFile file(".txt");
    const int fd = ::open(file.write(data, size).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        std::abort();
    LogRowText streamed;
    std::string row;
    const std::int64_t length = streamLog(fd, -1, streamed, [&](std::string_view text) { row += text; });
    ::close(fd);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string expected = referenceRow(wholeLines(text));
    if (length != static_cast<std::int64_t>(size) || "o," + std::to_string(streamed.durationMinutes()) + "," + row != expected)
        std::abort();
    return 0;
}
