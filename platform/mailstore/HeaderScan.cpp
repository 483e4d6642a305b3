#include "platform/mailstore/HeaderScan.h"

#include "dates/DateValue.h"
#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/GMimeSupport.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <cstring>
#include <strings.h>

namespace brisk::mailstore {
namespace {

// Most header blocks fit in the first read; a longer one is read again,
// whole, up to the limit.
constexpr std::int64_t kFirstRead = 4 * 1024;

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

int monthOfName(std::string_view name)
{
    static constexpr std::string_view kNames = "janfebmaraprmayjunjulaugsepoctnovdec";
    if (name.size() != 3)
        return 0;
    char lower[3];
    for (int i = 0; i < 3; ++i)
        lower[i] = static_cast<char>(name[static_cast<std::size_t>(i)] | 0x20);
    const std::size_t at = kNames.find(std::string_view(lower, 3));
    return at == std::string_view::npos || at % 3 != 0 ? 0 : static_cast<int>(at / 3) + 1;
}

// Offsets of RFC 5322 section 4.3's obsolete zone names, in minutes.
std::optional<int> namedZone(std::string_view zone)
{
    static constexpr std::pair<std::string_view, int> kZones[] = {
        {"UT", 0}, {"GMT", 0}, {"UTC", 0}, {"EST", -300}, {"EDT", -240}, {"CST", -360},
        {"CDT", -300}, {"MST", -420}, {"MDT", -360}, {"PST", -480}, {"PDT", -420}};
    for (const auto& [name, minutes] : kZones)
        if (zone == name)
            return minutes;
    return std::nullopt;
}

// A cursor over a date text for the common form below.
struct DateScanner {
    std::string_view text;
    std::size_t pos = 0;

    void skipBlanks()
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
    }
    bool take(char c)
    {
        const bool found = pos < text.size() && text[pos] == c;
        pos += found ? 1 : 0;
        return found;
    }
    // The value of minDigits..maxDigits digits, or -1.
    int number(std::size_t minDigits, std::size_t maxDigits)
    {
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9')
            value = value * 10 + (text[pos++] - '0');
        return pos - start >= minDigits ? value : -1;
    }
    std::string_view word()
    {
        const std::size_t start = pos;
        while (pos < text.size() && (text[pos] | 0x20) >= 'a' && (text[pos] | 0x20) <= 'z')
            ++pos;
        return text.substr(start, pos - start);
    }
    // "+hhmm", "-hhmm" or an obsolete zone name, in minutes east of UTC.
    std::optional<int> zone()
    {
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            const int sign = text[pos++] == '-' ? -1 : 1;
            const int hhmm = number(4, 4);
            if (hhmm < 0 || hhmm % 100 > 59)
                return std::nullopt;
            return sign * (hhmm / 100 * 60 + hhmm % 100);
        }
        return namedZone(word());
    }
};

// The common form "Mon, 4 Mar 2024 09:00:00 +0000" (RFC 5322 section
// 3.3), read without GMime's general parser, which costs as much as the
// rest of the scan; anything else is left to GMime (nullopt). Where both
// read a date they agree: it names one instant.
std::optional<std::int64_t> commonDate(std::string_view text)
{
    DateScanner in{text};
    if (const std::size_t comma = text.find(','); comma != std::string_view::npos && comma < 12)
        in.pos = comma + 1;
    in.skipBlanks();
    const int day = in.number(1, 2);
    in.skipBlanks();
    const int month = monthOfName(in.word());
    in.skipBlanks();
    const int year = in.number(4, 4);
    in.skipBlanks();
    const int hour = in.number(2, 2);
    const bool colon = in.take(':');
    const int minute = in.number(2, 2);
    const int second = in.take(':') ? in.number(2, 2) : 0;
    in.skipBlanks();
    const std::optional<int> zone = in.zone();
    in.skipBlanks();
    const bool end = in.pos == text.size() || text[in.pos] == '(';
    if (day < 0 || month == 0 || year < 0 || !colon || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59 || !zone || !end || !isValidDate(year, month, day))
        return std::nullopt;
    static const std::int64_t kUnixEpoch = toSeconds(makeDate(1970, 1, 1));
    return toSeconds(makeDate(year, month, day, hour, minute, second)) - kUnixEpoch - *zone * 60;
}

std::optional<std::int64_t> headerDate(const std::string& text)
{
    if (auto seconds = commonDate(text))
        return seconds;
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

ThreadHeaders threadHeadersOf(std::string_view block, const std::function<std::int64_t()>& fileTime,
                              const TimeZone& zone)
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
    out.receivedTime = zone.localTime(seconds ? *seconds : fileTime());
    return out;
}

ThreadHeaders readThreadHeaders(const ReadOnlyFile& file, std::int64_t offset, std::int64_t length,
                                const std::function<std::int64_t()>& fileTime, std::string& buffer,
                                const TimeZone& zone)
{
    // Reads up to `want` bytes, fewer at the file's end.
    auto readUpTo = [&](std::int64_t want) {
        buffer.resize(static_cast<std::size_t>(want));
        std::int64_t done = 0;
        while (done < want) {
            const ssize_t got = ::pread(file.fd(), buffer.data() + done, static_cast<std::size_t>(want - done),
                                        offset + done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        buffer.resize(static_cast<std::size_t>(done));
        return done == want;
    };
    const std::int64_t available = length < 0 ? kHeaderScanLimit : std::min(length, kHeaderScanLimit);
    bool more = readUpTo(std::min(available, kFirstRead)) && available > kFirstRead;
    std::size_t end = headerEnd(buffer);
    if (end == std::string::npos && more) {
        readUpTo(available);
        end = headerEnd(buffer);
    }
    return threadHeadersOf(std::string_view(buffer).substr(0, end == std::string::npos ? buffer.size() : end),
                           fileTime, zone);
}

} // namespace brisk::mailstore
