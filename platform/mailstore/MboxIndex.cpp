#include "platform/mailstore/MboxIndex.h"

#include "platform/mailstore/FileAccess.h"

#include "engine/MailStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace brisk::mailstore {
namespace {

bool isBlankLine(std::string_view data, size_t start, size_t end)
{
    // [start, end) is the line without its '\n'; a lone CR is blank too.
    return end == start || (end == start + 1 && data[start] == '\r');
}

// Drops one blank line at the end of [offset, end): the separator that
// RFC 4155 puts after each message, the last one included.
std::int64_t withoutTrailingBlankLine(std::string_view data, size_t offset, size_t end)
{
    if (end > offset && data[end - 1] == '\n') {
        size_t lineStart = end - 1;
        if (lineStart > offset && data[lineStart - 1] == '\r')
            --lineStart;
        if (lineStart >= offset && data[lineStart - 1] == '\n')
            return static_cast<std::int64_t>(lineStart - offset);
    }
    return static_cast<std::int64_t>(end - offset);
}

} // namespace

std::vector<MboxMessage> indexMbox(std::string_view data, const std::function<void(size_t)>& scanned)
{
    constexpr size_t kReportEvery = 64 << 20;
    size_t nextReport = kReportEvery;
    // The next line break at or after `from`, looked for a window at a time
    // so that the scan of one long line reports its progress too.
    const auto lineEndFrom = [&](size_t from) {
        while (from < data.size()) {
            const size_t window = std::min(data.size() - from, nextReport > from ? nextReport - from : kReportEvery);
            if (const void* nl = std::memchr(data.data() + from, '\n', window))
                return static_cast<size_t>(static_cast<const char*>(nl) - data.data());
            from += window;
            if (scanned && from >= nextReport)
                scanned(from);
            nextReport = from + kReportEvery;
        }
        return data.size();
    };
    std::vector<MboxMessage> messages;
    bool previousBlank = true; // the file start counts as after a blank line
    size_t pos = 0;
    while (pos < data.size()) {
        const size_t lineEnd = lineEndFrom(pos);
        const size_t next = lineEnd < data.size() ? lineEnd + 1 : data.size();
        if (data[pos] == '>' && !messages.empty() && !messages.back().quoted) {
            const size_t quotes = data.find_first_not_of('>', pos);
            messages.back().quoted = quotes < lineEnd && data.compare(quotes, 5, "From ") == 0;
        }
        if (previousBlank && data.compare(pos, 5, "From ") == 0) {
            if (!messages.empty()) {
                MboxMessage& last = messages.back();
                last.length = withoutTrailingBlankLine(data, static_cast<size_t>(last.offset), pos);
            }
            messages.push_back({static_cast<std::int64_t>(next), 0});
        }
        previousBlank = isBlankLine(data, pos, lineEnd);
        pos = next;
        if (scanned && pos >= nextReport) {
            scanned(pos);
            nextReport = pos + kReportEvery;
        }
    }
    if (!messages.empty()) {
        MboxMessage& last = messages.back();
        last.length = withoutTrailingBlankLine(data, static_cast<size_t>(last.offset), data.size());
    }
    return messages;
}

std::vector<MboxMessage> indexMboxFile(const std::filesystem::path& file)
{
    ReadOnlyFile input(file);
    const FileInfo info = input.info();
    if (info.size == 0)
        return {};
    // A private read-only mapping: pages come from the page cache and are
    // dropped after the scan, so a large mbox costs no heap.
    void* mapped = ::mmap(nullptr, static_cast<size_t>(info.size), PROT_READ, MAP_PRIVATE, input.fd(), 0);
    if (mapped == MAP_FAILED)
        throwCannotRead(file, errno);
    ::madvise(mapped, static_cast<size_t>(info.size), MADV_SEQUENTIAL);
    // Pages already scanned are let go as the scan moves on, so a file of
    // many gigabytes never stays resident; a page touched again is simply
    // read back from the file.
    const long page = ::sysconf(_SC_PAGESIZE);
    const auto release = [&](size_t pos) {
        const size_t done = pos - pos % static_cast<size_t>(page);
        ::madvise(mapped, done, MADV_DONTNEED);
    };
    const std::vector<MboxMessage> messages =
        indexMbox(std::string_view(static_cast<const char*>(mapped), static_cast<size_t>(info.size)), release);
    ::munmap(mapped, static_cast<size_t>(info.size));
    return messages;
}

size_t unquoteFromLines(char* data, size_t size)
{
    const std::string_view text(data, size);
    if (text.find(">From ") == std::string_view::npos)
        return size;
    size_t out = 0;
    size_t pos = 0;
    while (pos < size) {
        size_t lineEnd = text.find('\n', pos);
        lineEnd = lineEnd == std::string_view::npos ? size : lineEnd + 1;
        size_t quotes = pos;
        while (quotes < lineEnd && data[quotes] == '>')
            ++quotes;
        const bool quoted = quotes > pos && text.compare(quotes, 5, "From ") == 0;
        const size_t from = quoted ? pos + 1 : pos;
        std::memmove(data + out, data + from, lineEnd - from);
        out += lineEnd - from;
        pos = lineEnd;
    }
    return out;
}

void unquoteFromLines(std::string& raw)
{
    raw.resize(unquoteFromLines(raw.data(), raw.size()));
}

void FromUnquoter::flushHeld(std::string& out)
{
    out.append(static_cast<size_t>(m_quotes), '>');
    out.append("From ", m_matched);
    m_quotes = 0;
    m_matched = 0;
    m_state = State::Body;
}

void FromUnquoter::feed(std::string_view piece, std::string& out)
{
    static constexpr std::string_view kFrom = "From ";
    for (const char c : piece) {
        switch (m_state) {
        case State::LineStart:
            if (c == '>') {
                m_quotes = 1;
                m_state = State::Quotes;
                continue;
            }
            m_state = State::Body;
            break;
        case State::Quotes:
            if (c == '>') {
                ++m_quotes;
                continue;
            }
            if (c == 'F') {
                m_matched = 1;
                m_state = State::Matching;
                continue;
            }
            flushHeld(out);
            break;
        case State::Matching:
            if (c == kFrom[m_matched]) {
                if (++m_matched == kFrom.size()) {
                    --m_quotes; // the one quote the mbox writer added
                    flushHeld(out);
                }
                continue;
            }
            flushHeld(out);
            break;
        case State::Body:
            break;
        }
        out += c;
        if (c == '\n')
            m_state = State::LineStart;
    }
}

void FromUnquoter::finish(std::string& out)
{
    if (m_state == State::Quotes || m_state == State::Matching)
        flushHeld(out);
    m_state = State::LineStart;
}

namespace {

// An unlinked file in $TMPDIR (else /tmp), never in the store.
int temporaryFile()
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp && *tmp ? tmp : "/tmp";
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    std::string name = dir + "/brisk-message-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        throw StoreError("cannot create a temporary file in " + dir + ": " + std::strerror(errno));
    ::unlink(name.c_str());
    return fd;
}

bool writeAll(int fd, const std::string& data)
{
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

int unquotedCopy(const ReadOnlyFile& file, std::int64_t offset, std::int64_t length)
{
    constexpr std::int64_t kWindow = 1 << 20;
    const int fd = temporaryFile();
    std::string window, out;
    FromUnquoter unquoter;
    try {
        for (std::int64_t done = 0; done < length; done += static_cast<std::int64_t>(window.size())) {
            window.resize(static_cast<size_t>(std::min(kWindow, length - done)));
            file.readInto(window.data(), offset + done, static_cast<std::int64_t>(window.size()));
            out.clear();
            unquoter.feed(window, out);
            if (!writeAll(fd, out))
                throw StoreError(std::string("cannot write a temporary file: ") + std::strerror(errno));
        }
        out.clear();
        unquoter.finish(out);
        if (!writeAll(fd, out) || ::lseek(fd, 0, SEEK_SET) != 0)
            throw StoreError(std::string("cannot write a temporary file: ") + std::strerror(errno));
    } catch (...) {
        ::close(fd);
        throw;
    }
    return fd;
}

} // namespace brisk::mailstore
