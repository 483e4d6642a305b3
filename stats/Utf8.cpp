#include "stats/Utf8.h"

namespace brisk::utf8 {

std::optional<std::uint32_t> decode(std::string_view text, std::size_t& pos)
{
    const Lead lead = leadOf(static_cast<unsigned char>(text[pos]));
    const auto length = static_cast<std::size_t>(lead.length);
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return std::nullopt;
    }
    std::uint32_t code = lead.bits;
    for (std::size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(text[pos + k]);
        if (!isContinuation(byte)) {
            ++pos;
            return std::nullopt;
        }
        code = (code << 6) | (byte & 0x3Fu);
    }
    if (!isWellFormed(code, lead.minimum)) {
        ++pos;
        return std::nullopt;
    }
    pos += length;
    return code;
}

std::size_t sequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    std::size_t pos = 0;
    return decode(text, pos) ? pos : 0;
}

void append(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace brisk::utf8
