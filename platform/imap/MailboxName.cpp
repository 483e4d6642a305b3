#include "platform/imap/MailboxName.h"

#include "stats/Utf8.h"

#include <cstdint>
#include <optional>

namespace brisk::imap {
namespace {

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    return c == ',' ? 63 : -1; // "," stands for "/" in modified base64
}

// One "&...-" run (without its markers) as UTF-8, from UTF-16BE units.
std::optional<std::string> decodeRun(const std::string& run)
{
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::string out;
    std::uint32_t high = 0;
    for (char c : run) {
        const int v = base64Value(c);
        if (v < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        bitCount += 6;
        if (bitCount < 16)
            continue;
        bitCount -= 16;
        const std::uint32_t unit = (bits >> bitCount) & 0xFFFF;
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (high)
                return std::nullopt;
            high = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000) {
            if (!high)
                return std::nullopt;
            utf8::append(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            high = 0;
        } else {
            if (high)
                return std::nullopt;
            utf8::append(out, unit);
        }
    }
    if (high || out.empty() || (bits & ((1u << bitCount) - 1)) != 0)
        return std::nullopt;
    return out;
}

} // namespace

std::string decodeMailboxName(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '&') {
            out += name[i];
            continue;
        }
        const auto end = name.find('-', i + 1);
        if (end == std::string::npos)
            return name;
        if (end == i + 1) {
            out += '&';
        } else {
            const auto text = decodeRun(name.substr(i + 1, end - i - 1));
            if (!text)
                return name;
            out += *text;
        }
        i = end;
    }
    return out;
}

std::vector<std::string> splitMailboxName(const std::string& name, const std::string& separator)
{
    if (separator.empty())
        return {name};
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (true) {
        const auto at = name.find(separator, start);
        levels.push_back(name.substr(start, at - start));
        if (at == std::string::npos)
            return levels;
        start = at + separator.size();
    }
}

} // namespace brisk::imap
