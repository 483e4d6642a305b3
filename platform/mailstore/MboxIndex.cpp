#include "platform/mailstore/MboxIndex.h"

#include "platform/mailstore/FileAccess.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>

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

std::vector<MboxMessage> indexMbox(std::string_view data)
{
    std::vector<MboxMessage> messages;
    bool previousBlank = true; // the file start counts as after a blank line
    size_t pos = 0;
    while (pos < data.size()) {
        const void* nl = std::memchr(data.data() + pos, '\n', data.size() - pos);
        const size_t lineEnd = nl ? static_cast<size_t>(static_cast<const char*>(nl) - data.data()) : data.size();
        const size_t next = nl ? lineEnd + 1 : data.size();
        if (previousBlank && data.compare(pos, 5, "From ") == 0) {
            if (!messages.empty()) {
                MboxMessage& last = messages.back();
                last.length = withoutTrailingBlankLine(data, static_cast<size_t>(last.offset), pos);
            }
            messages.push_back({static_cast<std::int64_t>(next), 0});
        }
        previousBlank = isBlankLine(data, pos, lineEnd);
        pos = next;
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
    const std::vector<MboxMessage> messages = indexMbox(std::string_view(static_cast<const char*>(mapped), static_cast<size_t>(info.size)));
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

} // namespace brisk::mailstore
