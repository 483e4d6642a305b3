#include "platform/mailstore/HeaderScan.h"

#include "dates/DateValue.h"
#include "platform/mailstore/GMimeSupport.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::mailstore {
namespace {

bool isHeaderName(std::string_view line, std::string_view name)
{
    const std::size_t n = name.size();
    return line.size() > n && line[n] == ':' && ::strncasecmp(line.data(), name.data(), n) == 0;
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
// (RFC 5322 section 2.2.3).
std::size_t nextHeader(std::string_view block, std::size_t pos)
{
    while (true) {
        const void* nl = std::memchr(block.data() + pos, '\n', block.size() - pos);
        pos = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - block.data()) + 1 : block.size();
        if (pos >= block.size() || (block[pos] != ' ' && block[pos] != '\t'))
            return pos;
    }
}

// A header's value without its line breaks: each line's text, "\r\n" or
// "\n" left out, the folding blank kept (RFC 5322 section 2.2.3).
const std::string& unfold(std::string_view raw, std::string& out)
{
    out.clear();
    std::size_t pos = 0;
    while (pos < raw.size()) {
        std::size_t nl = raw.find('\n', pos);
        if (nl == std::string_view::npos)
            nl = raw.size();
        const std::size_t end = nl > pos && raw[nl - 1] == '\r' ? nl - 1 : nl;
        out.append(raw.substr(pos, end - pos));
        pos = nl + 1;
    }
    return out;
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

std::optional<std::int64_t> headerDate(std::string_view text)
{
    if (auto seconds = commonDate(text))
        return seconds;
    GDateTime* date = g_mime_utils_header_decode_date(std::string(text).c_str());
    if (!date)
        return std::nullopt;
    const std::int64_t seconds = g_date_time_to_unix(date);
    g_date_time_unref(date);
    return seconds;
}

// The date after the last ";" of the topmost Received: (RFC 5321 section 4.4).
std::optional<std::int64_t> receivedDate(std::string_view received)
{
    const std::size_t semicolon = received.rfind(';');
    return semicolon == std::string_view::npos ? std::nullopt : headerDate(received.substr(semicolon + 1));
}

// RFC 5322 section 3.2.3's atext.
bool isAtext(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || (c != '\0' && std::strchr("!#$%&'*+-/=?^_`{|}~", c) != nullptr);
}

bool isDotAtom(std::string_view text)
{
    if (text.empty() || text.front() == '.' || text.back() == '.')
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' ? text[i - 1] == '.' : !isAtext(c))
            return false;
    }
    return true;
}

// The id of the common form "<dot-atom@dot-atom>" (RFC 5322 section 3.6.4),
// blanks around it allowed, read in place; anything else (comments, quoted
// or folded parts, domain literals, 8-bit text) is left to GMime (empty).
// Where both read an id they give the same text.
std::string_view plainMessageId(std::string_view raw)
{
    const std::size_t first = raw.find_first_not_of(" \t");
    const std::size_t last = raw.find_last_not_of(" \t\r\n");
    if (first == std::string_view::npos || last == std::string_view::npos || last <= first + 1
        || raw[first] != '<' || raw[last] != '>')
        return {};
    const std::string_view id = raw.substr(first + 1, last - first - 1);
    const std::size_t at = id.find('@');
    if (at == std::string_view::npos || !isDotAtom(id.substr(0, at)) || !isDotAtom(id.substr(at + 1)))
        return {};
    return id;
}

// Reads the bytes from `done` up to `want` of the message at `offset` into
// `buffer`, fewer at the file's end; stops early once the bytes read hold
// the end of the header block. Gives the count of bytes now in `buffer`.
std::size_t readHeaderBytes(int fd, char* buffer, std::size_t done, std::size_t want, std::int64_t offset)
{
    while (done < want) {
        const ssize_t got = ::pread(fd, buffer + done, want - done, offset + static_cast<std::int64_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
        if (done < want && headerEnd(std::string_view(buffer, done)) != std::string_view::npos)
            break;
    }
    return done;
}

bool endsWithEml(const char* name)
{
    const std::size_t n = std::strlen(name);
    return n > 4 && ::strcasecmp(name + n - 4, ".eml") == 0;
}

// A subdirectory (not a link to one) of the directory `dirFd`.
bool isSubdirectory(int dirFd, const char* name)
{
    struct stat st {};
    return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string_view ThreadHeaderReader::messageIdOf(std::string_view raw)
{
    if (const std::string_view plain = plainMessageId(raw); !plain.empty())
        return plain;
    GCharPtr id(g_mime_utils_decode_message_id(unfold(raw, m_text).c_str()));
    m_id = id ? id.get() : "";
    return m_id;
}

ThreadHeaders ThreadHeaderReader::parse(std::string_view block, int fd)
{
    // An mbox "From " line before the headers is not one of them.
    if (block.substr(0, 5) == "From ")
        block.remove_prefix(std::min(block.size(), block.find('\n') + 1));
    static constexpr std::string_view kNames[] = {"Message-ID", "Received", "Date"};
    std::optional<std::string_view> values[3];
    std::size_t pos = 0;
    while (pos < block.size()) {
        const std::size_t next = nextHeader(block, pos);
        const std::string_view line = block.substr(pos, next - pos);
        for (std::size_t i = 0; i < 3; ++i) {
            if (!values[i] && isHeaderName(line, kNames[i])) {
                values[i] = line.substr(kNames[i].size() + 1);
                break;
            }
        }
        pos = next;
    }
    ThreadHeaders out;
    if (values[0])
        out.messageId = messageIdOf(*values[0]);
    std::optional<std::int64_t> seconds = values[1] ? receivedDate(unfold(*values[1], m_text)) : std::nullopt;
    if (!seconds && values[2])
        seconds = headerDate(unfold(*values[2], m_text));
    if (!seconds) {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return {}; // no time to give: not indexed
        seconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    }
    out.receivedTime = m_zone.localTime(*seconds);
    return out;
}

ThreadHeaderReader::ThreadHeaderReader(const TimeZone& zone)
    : m_buffer(std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(kHeaderScanLimit))), m_zone(zone)
{
}

// The first read asks for about what the folder's last header block took
// (mail of one folder tends to look alike) and never less than a page: the
// bytes past the header block are copied for nothing, and on a store of
// small messages that copy was a third of the scan's cost. A longer block
// is read on, four times as far each time, up to the limit.
std::string_view ThreadHeaderReader::readBlock(int fd, std::int64_t offset, std::int64_t length)
{
    const auto available = static_cast<std::size_t>(length < 0 ? kHeaderScanLimit : std::min(length, kHeaderScanLimit));
    std::size_t want = std::min(available, m_firstRead);
    std::size_t got = 0;
    std::size_t end = std::string_view::npos;
    while (true) {
        got = readHeaderBytes(fd, m_buffer.get(), got, want, offset);
        end = headerEnd(std::string_view(m_buffer.get(), got));
        if (end != std::string_view::npos || got < want || want == available)
            break;
        want = std::min(available, want * 4);
    }
    const std::size_t blockLength = end == std::string_view::npos ? got : end;
    m_firstRead = std::clamp<std::size_t>(std::bit_ceil(blockLength + 256), 1024, 8192);
    return std::string_view(m_buffer.get(), blockLength);
}

ThreadHeaders ThreadHeaderReader::read(int fd, std::int64_t offset, std::int64_t length)
{
    return parse(readBlock(fd, offset, length), fd);
}

int ThreadHeaderReader::openMessage(int dirFd, const char* name)
{
    // As ReadOnlyFile opens a message: no link followed, no wait on a FIFO,
    // the access time spared where the kernel allows it. The listing said
    // the entry is a regular file; what else an unprivileged writer could
    // put there in between (a FIFO, a socket) gives no bytes and no id.
    constexpr int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    if (m_noAtime) {
        const int fd = ::openat(dirFd, name, flags | O_NOATIME);
        if (fd >= 0 || errno != EPERM)
            return fd;
        m_noAtime = false; // files this process does not own: not asked again
    }
    return ::openat(dirFd, name, flags);
}

void ThreadHeaderReader::scanFiles(int dirFd, bool emlOnly, const HeaderSink& sink, const std::atomic<bool>* stop)
{
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const char* name = entry->d_name;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular || name[0] == '.' || (emlOnly && !endsWithEml(name)))
            continue;
        const int fd = openMessage(dirFd, name);
        if (fd < 0)
            continue;
        const ThreadHeaders headers = read(fd, 0, -1);
        ::close(fd);
        if (!headers.messageId.empty())
            sink(headers.messageId, headers.receivedTime);
    }
    ::closedir(dir);
}

void ThreadHeaderReader::scanDirectory(const std::filesystem::path& path, bool maildir, const HeaderSink& sink,
                                       const std::atomic<bool>* stop)
{
    const int dirFd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    // A Maildir's messages are the files of cur/ and new/; a folder without
    // either holds *.eml files (the walk chooses its items by the same rule).
    if (!maildir && !isSubdirectory(dirFd, "cur") && !isSubdirectory(dirFd, "new")) {
        scanFiles(dirFd, true, sink, stop);
        return;
    }
    for (const char* sub : {"cur", "new"}) {
        const int subFd = ::openat(dirFd, sub, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (subFd >= 0)
            scanFiles(subFd, false, sink, stop);
    }
    ::close(dirFd);
}

} // namespace brisk::mailstore
