#include "shell/TerminalText.h"

#include <cstdio>

namespace brisk {

namespace {

void escapeBytes(std::string& out, std::string_view bytes)
{
    for (const char c : bytes) {
        char buf[5];
        std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(c));
        out += buf;
    }
}

// Length of a well-formed UTF-8 sequence at the start of `text` (RFC 3629
// section 4), or 0.
std::size_t utf8Length(std::string_view text)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b = at(0);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    }
    if (n == 0 || text.size() < n || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < n; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    }
    return n;
}

} // namespace

std::string terminalSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            const bool kept = b >= 0x20 ? b != 0x7F
                                        : b == '\n' || b == '\t' || (b == '\r' && text.substr(i + 1, 1) == "\n");
            if (kept)
                out += text[i];
            else
                escapeBytes(out, text.substr(i, 1));
            ++i;
            continue;
        }
        const std::size_t n = utf8Length(text.substr(i));
        // U+0080..U+009F are C2 80..C2 9F: C1 controls such as CSI (U+009B).
        if (n == 0 || (n == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
            const std::size_t len = n == 0 ? 1 : n;
            escapeBytes(out, text.substr(i, len));
            i += len;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

} // namespace brisk
