#include "platform/workbook/CellText.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace brisk::workbook {
namespace {

// Decodes one UTF-8 sequence at pos; returns -1 (and skips one byte) when
// the bytes there are not a valid, shortest-form sequence.
std::int32_t decodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || pos + static_cast<std::size_t>(length) > text.size()) {
        ++pos;
        return -1;
    }
    std::int32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::int32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < minimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return -1;
    }
    pos += static_cast<std::size_t>(length);
    return code;
}

bool allowedInXml(std::int32_t code)
{
    if (code < 0x20)
        return code == 0x9 || code == 0xA || code == 0xD;
    return code != 0xFFFE && code != 0xFFFF;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// True when text at pos reads "_xHHHH_".
bool isEscapeAt(std::string_view text, std::size_t pos)
{
    if (pos + 7 > text.size() || text[pos] != '_' || text[pos + 1] != 'x' || text[pos + 6] != '_')
        return false;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        if (!isHex(text[i]))
            return false;
    }
    return true;
}

void appendUtf8(std::string& out, std::uint32_t code)
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

} // namespace

std::string toCellXmlText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const std::int32_t code = decodeUtf8(utf8, pos);
        if (code < 0 || !allowedInXml(code))
            continue;
        units += code >= 0x10000 ? 2 : 1;
        if (units > kMaxCellChars)
            break;
        if (code == 0xD)
            out += "_x000D_";
        else if (isEscapeAt(utf8, start))
            out += "_x005F_";
        else
            out.append(utf8.substr(start, pos - start));
    }
    return out;
}

std::string fromCellXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (!isEscapeAt(text, pos)) {
            out += text[pos++];
            continue;
        }
        unsigned code = 0;
        std::from_chars(text.data() + pos + 2, text.data() + pos + 6, code, 16);
        appendUtf8(out, code);
        pos += 7;
    }
    return out;
}

std::string formatCellNumber(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace brisk::workbook
