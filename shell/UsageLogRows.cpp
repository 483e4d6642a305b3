#include "shell/UsageLogRows.h"

#include "dates/DateValue.h"

#include <cerrno>
#include <vector>

#include <unistd.h>

namespace brisk {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

} // namespace

void LogRowText::endField()
{
    if (m_commas == 0)
        m_first = m_field;
    ++m_commas;
    m_beforePrevious = std::move(m_previous);
    m_previous = std::move(m_field);
    m_field.clear();
}

void LogRowText::emit(char c, std::string& out)
{
    out += c;
    if (c == ',') {
        endField();
    } else if (m_field.size() <= kFieldCap) {
        // One character past the cap marks the field as too long to be a
        // time stamp, whatever its length.
        m_field += c;
    }
}

void LogRowText::feed(std::string_view bytes, const Sink& sink)
{
    std::string out;
    out.reserve(bytes.size() + 1);
    for (const char c : bytes) {
        if (m_pendingCr) {
            m_pendingCr = false;
            if (c == '\n') {
                emit(',', out);
                m_atLineStart = true;
                continue;
            }
            emit('\r', out);
        }
        if (c == '\r') {
            m_pendingCr = true;
            m_atLineStart = false;
        } else if (c == '\n') {
            emit(',', out);
            m_atLineStart = true;
        } else {
            emit(c, out);
            m_atLineStart = false;
        }
    }
    if (sink && !out.empty())
        sink(out);
}

void LogRowText::finish(const Sink& sink)
{
    // A CR at the very end is dropped as the end of the last line.
    if (m_pendingCr || !m_atLineStart) {
        m_pendingCr = false;
        m_atLineStart = true;
        std::string out;
        emit(',', out);
        if (sink)
            sink(out);
    }
}

std::int64_t LogRowText::durationMinutes() const
{
    // For n lines the row splits at its commas into 2n + 1 parts, the last
    // one empty, so the part two before the last is the last line's stamp.
    if (m_commas <= 2)
        return 0;
    const auto first = parseLogTimestamp(m_first);
    const auto last = parseLogTimestamp(m_beforePrevious);
    if (!first || !last)
        return 0;
    return minutesBetween(*first, *last);
}

std::int64_t streamLog(int fd, std::int64_t limit, LogRowText& row, const LogRowText::Sink& sink)
{
    std::vector<char> buffer(kChunk);
    std::int64_t done = 0;
    while (limit < 0 || done < limit) {
        std::size_t want = buffer.size();
        if (limit >= 0 && static_cast<std::int64_t>(want) > limit - done)
            want = static_cast<std::size_t>(limit - done);
        const ssize_t got = ::pread(fd, buffer.data(), want, done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        row.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)), sink);
        done += got;
    }
    row.finish(sink);
    return done;
}

} // namespace brisk
