#include "platform/mailstore/HeaderScan.h"

#include "platform/dates/DateValue.h"
#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/GMimeSupport.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace brisk::mailstore {
namespace {

// Most header blocks fit in the first read; a longer one is read again,
// whole, up to the limit.
constexpr std::int64_t kFirstRead = 8 * 1024;

bool isHeaderName(std::string_view line, const char* name)
{
    const std::size_t n = std::strlen(name);
    return line.size() > n && line[n] == ':' && ::strncasecmp(line.data(), name, n) == 0;
}

// The end of the header block: the offset of its empty line, or npos.
std::size_t headerEnd(std::string_view data)
{
    std::size_t pos = 0;
    while (pos < data.size()) {
        if (data[pos] == '\n' || (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n'))
            return pos;
        const std::size_t nl = data.find('\n', pos);
        if (nl == std::string_view::npos)
            return std::string_view::npos;
        pos = nl + 1;
    }
    return std::string_view::npos;
}

// The offset after the header line at `pos` and its folded continuations
// (RFC 5322 section 2.2.3); `value`, when given, receives the unfolded text.
std::size_t nextHeader(std::string_view block, std::size_t pos, std::string* value)
{
    while (true) {
        std::size_t nl = block.find('\n', pos);
        if (nl == std::string_view::npos)
            nl = block.size();
        if (value) {
            const std::size_t end = nl > pos && block[nl - 1] == '\r' ? nl - 1 : nl;
            value->append(block.substr(pos, end - pos));
        }
        pos = nl + 1;
        if (pos >= block.size() || (block[pos] != ' ' && block[pos] != '\t'))
            return std::min(pos, block.size());
    }
}

std::optional<std::int64_t> headerDate(const std::string& text)
{
    GDateTime* date = g_mime_utils_header_decode_date(text.c_str());
    if (!date)
        return std::nullopt;
    const std::int64_t seconds = g_date_time_to_unix(date);
    g_date_time_unref(date);
    return seconds;
}

// The date after the last ";" of the topmost Received: (RFC 5321 section 4.4).
std::optional<std::int64_t> receivedDate(const std::string& received)
{
    const std::size_t semicolon = received.rfind(';');
    return semicolon == std::string::npos ? std::nullopt : headerDate(received.substr(semicolon + 1));
}

} // namespace

ThreadHeaders threadHeadersOf(std::string_view block, std::int64_t fileTime)
{
    // An mbox "From " line before the headers is not one of them.
    if (block.substr(0, 5) == "From ")
        block.remove_prefix(std::min(block.size(), block.find('\n') + 1));
    std::optional<std::string> messageId, received, date;
    std::size_t pos = 0;
    while (pos < block.size()) {
        const std::string_view line = block.substr(pos);
        std::optional<std::string>* target = nullptr;
        std::size_t nameLength = 0;
        if (isHeaderName(line, "Message-ID"))
            target = &messageId, nameLength = 10;
        else if (isHeaderName(line, "Received"))
            target = &received, nameLength = 8;
        else if (isHeaderName(line, "Date"))
            target = &date, nameLength = 4;
        if (target && !*target) {
            target->emplace();
            pos = nextHeader(block, pos + nameLength + 1, &**target);
        } else {
            pos = nextHeader(block, pos, nullptr);
        }
    }
    ThreadHeaders out;
    if (messageId) {
        GCharPtr id(g_mime_utils_decode_message_id(messageId->c_str()));
        if (id)
            out.messageId = id.get();
    }
    std::optional<std::int64_t> seconds = received ? receivedDate(*received) : std::nullopt;
    if (!seconds && date)
        seconds = headerDate(*date);
    out.receivedTime = fromUnixTime(seconds.value_or(fileTime));
    return out;
}

ThreadHeaders readThreadHeaders(const ReadOnlyFile& in, std::int64_t fileTime, std::int64_t offset,
                                std::int64_t length)
{
    const std::int64_t available = std::max<std::int64_t>(0, length);
    std::int64_t want = std::min(available, kFirstRead);
    std::string data = in.read(offset, want);
    std::size_t end = headerEnd(data);
    if (end == std::string::npos && want < available) {
        want = std::min(available, kHeaderScanLimit);
        data = in.read(offset, want);
        end = headerEnd(data);
    }
    if (end != std::string::npos)
        data.resize(end);
    return threadHeadersOf(data, fileTime);
}

} // namespace brisk::mailstore
