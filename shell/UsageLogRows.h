#pragma once
// One usage log turned into its report row without holding the log in
// memory: the log's bytes stream through a fixed buffer, line breaks become
// the commas that end each line in the row, and only the few fields the
// duration needs are kept (each capped, since a time stamp is short).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace brisk {

class LogRowText {
public:
    using Sink = std::function<void(std::string_view)>;

    // Hands the row text of these bytes to `sink` (which may be empty):
    // CR LF and LF end a line, and every line is followed by a comma.
    void feed(std::string_view bytes, const Sink& sink);
    // The log's end: a last line without its line break still gets a comma.
    void finish(const Sink& sink);

    // Minutes from the first field to the last line's time stamp; 0 for at
    // most one line or when either is not a time stamp of the log's form.
    std::int64_t durationMinutes() const;

private:
    void emit(char c, std::string& out);
    void endField();

    static constexpr std::size_t kFieldCap = 32;
    bool m_pendingCr = false;
    bool m_atLineStart = true;
    std::int64_t m_commas = 0;
    std::string m_field, m_first, m_previous, m_beforePrevious;
};

// Reads the log at `fd` from its start, at most `limit` bytes (-1: to its
// end), through LogRowText; returns the bytes read. A read error ends the log
// where it happened, as the end of a log still being written would.
std::int64_t streamLog(int fd, std::int64_t limit, LogRowText& row, const LogRowText::Sink& sink);

} // namespace brisk
