#include "platform/mailstore/TextConvert.h"

#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/HtmlStream.h"
#include "platform/mailstore/SingleByte.h"

#include <gmime/gmime.h>

#include <array>
#include <cstring>
#include <memory>
#include <optional>

namespace brisk::mailstore {
namespace {

bool isValidUtf8(std::string_view bytes)
{
    return g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
}

// g_convert (a table for single-byte charsets), or false when iconv does not know the charset or a byte has no
// mapping (windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined).
bool convert(std::string_view bytes, const char* from, std::string& out)
{
    if (const SingleByteTable* table = SingleByteTable::find(from)) {
        out.clear();
        out.reserve(bytes.size() + bytes.size() / 8);
        return table->convert(bytes, out) && isValidUtf8(out);
    }
    gsize written = 0;
    GError* error = nullptr;
    gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", from, nullptr,
                                 &written, &error);
    if (!converted) {
        g_clear_error(&error);
        return false;
    }
    out.assign(converted, written);
    g_free(converted);
    return isValidUtf8(out);
}

} // namespace

// iconv would copy such a text byte for byte (US-ASCII is a subset; for it,
// 8-bit bytes that form valid UTF-8 are taken as UTF-8 anyway).
bool isUtf8Compatible(const char* iconvName)
{
    for (const char* name : {"UTF-8", "UTF8", "US-ASCII", "ASCII", "ANSI_X3.4-1968"})
        if (g_ascii_strcasecmp(iconvName, name) == 0)
            return true;
    return false;
}

std::string toUtf8(std::string_view bytes, std::string_view charset)
{
    std::string text(bytes);
    makeUtf8(text, charset);
    return text;
}

void makeUtf8(std::string& text, std::string_view charset)
{
    // GMime's charset table exists only after g_mime_init(); before it each
    // name looked up was allocated afresh and never freed.
    ensureGMime();
    std::string out;
    // Validated once, and only when the answer is needed.
    std::optional<bool> valid;
    auto isValid = [&] {
        if (!valid)
            valid = isValidUtf8(text);
        return *valid;
    };
    if (!charset.empty()) {
        const std::string label(charset);
        const char* iconvName = g_mime_charset_iconv_name(label.c_str());
        if (iconvName && isUtf8Compatible(iconvName) && isValid())
            return;
        if (iconvName && convert(text, iconvName, out)) {
            text = std::move(out);
            return;
        }
    }
    if (isValid())
        return;
    if (convert(text, "WINDOWS-1252", out)) {
        text = std::move(out);
        return;
    }
    gchar* made = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    text = made;
    g_free(made);
}

std::string htmlToText(std::string_view html)
{
    // The same single pass as a streamed body: libxml2's parser reports
    // elements and text as it reads, and no document tree is built.
    std::string text;
    const TextSink toText = [&](std::string_view piece) { text.append(piece); };
    HtmlTextStream stream(toText);
    stream.feed(html);
    stream.finish();
    return text;
}

std::string toCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    // Line by line: the text up to the next line end is copied whole.
    const char* const data = text.data();
    const std::size_t n = text.size();
    std::size_t at = 0;
    while (at < n) {
        const auto* lf = static_cast<const char*>(std::memchr(data + at, '\n', n - at));
        const std::size_t lineEnd = lf ? static_cast<std::size_t>(lf - data) : n;
        const auto* cr = static_cast<const char*>(std::memchr(data + at, '\r', lineEnd - at));
        const std::size_t end = cr ? static_cast<std::size_t>(cr - data) : lineEnd;
        out.append(data + at, end - at);
        if (end == n)
            break;
        out += "\r\n";
        at = end + 1;
        if (cr && at < n && data[at] == '\n')
            ++at; // CR LF already
    }
    return out;
}

void makeCrLf(std::string& text)
{
    // Checked first: most stored mail has no lone CR or LF.
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == n || text[++i] != '\n'))) {
            text = toCrLf(text);
            return;
        }
    }
}

} // namespace brisk::mailstore

