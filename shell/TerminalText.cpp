#include "shell/TerminalText.h"

#include "stats/Utf8.h"

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
        const std::size_t n = utf8::sequenceLength(text.substr(i));
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
