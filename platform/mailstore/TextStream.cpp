#include "platform/mailstore/TextStream.h"

#include "stats/Utf8.h"

#include "platform/mailstore/SingleByte.h"
#include "platform/mailstore/TextConvert.h"

#include <gmime/gmime.h>

#include <array>
#include <cerrno>
#include <optional>

namespace brisk::mailstore {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// True when `tail` may be the start of a sequence the next chunk completes.
bool mayContinue(std::string_view tail)
{
    if (tail.empty())
        return false;
    const int length = utf8::leadOf(static_cast<unsigned char>(tail[0])).length;
    if (length < 2 || tail.size() >= static_cast<std::size_t>(length))
        return false;
    for (std::size_t i = 1; i < tail.size(); ++i)
        if (!utf8::isContinuation(static_cast<unsigned char>(tail[i])))
            return false;
    return true;
}

// g_utf8_validate and g_utf8_make_valid across chunk cuts: the valid text
// passes, each byte that begins no valid sequence (NUL included, as GLib
// has it) is replaced by U+FFFD. A sequence cut by the chunk's end waits.
class Utf8Repair {
public:
    explicit Utf8Repair(const TextSink* sink) : m_sink(sink) {}
    bool valid() const { return m_valid; }

    void feed(std::string_view chunk, bool last = false)
    {
        std::string joined;
        if (!m_carry.empty()) {
            joined = m_carry + std::string(chunk);
            chunk = joined;
            m_carry.clear();
        }
        while (!chunk.empty()) {
            const gchar* end = nullptr;
            const bool whole = g_utf8_validate(chunk.data(), static_cast<gssize>(chunk.size()), &end);
            const auto good = static_cast<std::size_t>(end - chunk.data());
            emit(chunk.substr(0, good));
            if (whole)
                return;
            if (!last && mayContinue(chunk.substr(good))) {
                m_carry = std::string(chunk.substr(good));
                return;
            }
            m_valid = false;
            emit(kReplacement);
            chunk.remove_prefix(good + 1);
        }
    }
    void finish() { feed({}, true); }

private:
    void emit(std::string_view text)
    {
        if (m_sink && !text.empty())
            (*m_sink)(text);
    }

    const TextSink* m_sink;
    std::string m_carry;
    bool m_valid = true;
};

// g_convert to UTF-8 across chunk cuts; ok() turns false at a byte without
// a mapping, and finish() at a sequence cut short by the end. Single-byte
// charsets go through their table, the same bytes out as iconv gives.
class ToUtf8 {
public:
    ToUtf8(const char* from, const TextSink& sink)
        : m_table(SingleByteTable::find(from)),
          m_cd(m_table ? kNoIconv : g_iconv_open("UTF-8", from)),
          m_out(sink)
    {
    }
    ~ToUtf8()
    {
        if (opened())
            g_iconv_close(m_cd);
    }
    ToUtf8(const ToUtf8&) = delete;
    ToUtf8& operator=(const ToUtf8&) = delete;

    bool ok() const { return (m_table || opened()) && m_ok; }

    void feed(std::string_view chunk)
    {
        if (!ok())
            return;
        if (m_table) {
            m_converted.clear();
            m_ok = m_table->convert(chunk, m_converted);
            m_out(m_converted);
            return;
        }
        m_carry.append(chunk);
        gchar* in = m_carry.data();
        gsize inLeft = m_carry.size();
        while (inLeft > 0 && m_ok) {
            gchar* out = m_buffer.data();
            gsize outLeft = m_buffer.size();
            const gsize result = g_iconv(m_cd, &in, &inLeft, &out, &outLeft);
            m_out(std::string_view(m_buffer.data(), m_buffer.size() - outLeft));
            if (result != static_cast<gsize>(-1))
                break;
            if (errno == EINVAL)
                break; // a sequence the next chunk completes
            m_ok = errno == E2BIG;
        }
        m_carry.erase(0, m_carry.size() - inLeft);
    }

    bool finish()
    {
        if (!ok() || !m_carry.empty())
            return m_ok = false;
        if (m_table)
            return true;
        // Ends a shift state (ISO-2022) as g_convert does.
        gchar* out = m_buffer.data();
        gsize outLeft = m_buffer.size();
        g_iconv(m_cd, nullptr, nullptr, &out, &outLeft);
        m_out(std::string_view(m_buffer.data(), m_buffer.size() - outLeft));
        return true;
    }

private:
    static inline const GIConv kNoIconv = reinterpret_cast<GIConv>(-1);
    bool opened() const { return m_cd != kNoIconv; }

    const SingleByteTable* m_table;
    GIConv m_cd;
    const TextSink& m_out;
    std::string m_carry;
    std::string m_converted;
    std::array<gchar, kBufferSize> m_buffer{};
    bool m_ok = true;
};

// Whether the source is valid UTF-8; nullopt when it cannot be read.
std::optional<bool> utf8Validity(const ByteSource& source)
{
    Utf8Repair check(nullptr);
    if (!source([&](std::string_view chunk) { check.feed(chunk); }))
        return std::nullopt;
    check.finish();
    return check.valid();
}

// True when the source converts from `from` without a fault and gives valid
// UTF-8 (no NUL), as the whole-text conversion requires.
bool convertsCleanly(const ByteSource& source, const char* from)
{
    Utf8Repair check(nullptr);
    const TextSink toCheck = [&](std::string_view text) { check.feed(text); };
    ToUtf8 converter(from, toCheck);
    if (!converter.ok() || !source([&](std::string_view chunk) { converter.feed(chunk); }) || !converter.finish())
        return false;
    check.finish();
    return check.valid();
}

void convertInto(const ByteSource& source, const char* from, const TextSink& sink)
{
    BufferedSink out(sink);
    const TextSink toOut = [&](std::string_view text) { out.write(text); };
    ToUtf8 converter(from, toOut);
    source([&](std::string_view chunk) { converter.feed(chunk); });
    converter.finish();
    out.flush();
}

void repairInto(const ByteSource& source, const TextSink& sink)
{
    BufferedSink out(sink);
    const TextSink toOut = [&](std::string_view text) { out.write(text); };
    Utf8Repair repair(&toOut);
    source([&](std::string_view chunk) { repair.feed(chunk); });
    repair.finish();
    out.flush();
}

} // namespace

BufferedSink::BufferedSink(const TextSink& sink) : m_sink(sink)
{
    m_buffer.reserve(kBufferSize);
}

void BufferedSink::write(std::string_view text)
{
    if (m_buffer.size() + text.size() > kBufferSize)
        flush();
    if (text.size() >= kBufferSize)
        m_sink(text);
    else
        m_buffer.append(text);
}

void BufferedSink::flush()
{
    if (!m_buffer.empty())
        m_sink(m_buffer);
    m_buffer.clear();
}

void CrLfStream::feed(std::string_view text)
{
    std::size_t run = 0; // the first byte not written yet
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            m_afterCr = false;
            continue;
        }
        m_out.write(text.substr(run, i - run));
        run = i + 1;
        if (c == '\r' || !m_afterCr) // the LF of a CR LF is written with its CR
            m_out.write("\r\n");
        m_afterCr = c == '\r';
    }
    m_out.write(text.substr(run));
}

void streamUtf8(const ByteSource& source, std::string_view charset, const TextSink& sink)
{
    const auto validity = utf8Validity(source);
    if (!validity)
        return; // unreadable: the whole-text reading gives no text either
    const bool valid = *validity;
    if (!charset.empty()) {
        const std::string label(charset);
        const char* iconvName = g_mime_charset_iconv_name(label.c_str());
        if (iconvName && isUtf8Compatible(iconvName) && valid)
            return void(source(sink));
        if (iconvName && convertsCleanly(source, iconvName))
            return convertInto(source, iconvName, sink);
    }
    if (valid)
        return void(source(sink));
    if (convertsCleanly(source, "WINDOWS-1252"))
        return convertInto(source, "WINDOWS-1252", sink);
    repairInto(source, sink);
}

} // namespace brisk::mailstore
