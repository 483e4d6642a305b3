#include "platform/workbook/CellText.h"

#include "stats/Utf8.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace brisk::workbook {
namespace {

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

} // namespace

std::string toCellXmlText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const auto decoded = utf8::decode(utf8, pos);
        if (!decoded || !allowedInXml(static_cast<std::int32_t>(*decoded)))
            continue;
        const std::uint32_t code = *decoded;
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
        utf8::append(out, code);
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
