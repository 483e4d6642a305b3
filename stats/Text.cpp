#include "stats/Text.h"

#include "stats/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace brisk {
namespace {

// Reads one character from `text` at `pos` and moves `pos` past it. Returns
// its code point, or 0xDC00 + byte for a byte that does not begin a
// well-formed sequence.
std::uint32_t decodeNext(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    return utf8::decode(text, pos).value_or(0xDC00 + lead);
}

// The first UTF-16 unit of a decoded value (the high surrogate above U+FFFF).
std::uint32_t firstUnit(std::uint32_t code)
{
    return code < 0x10000 ? code : 0xD800 + ((code - 0x10000) >> 10);
}

std::size_t unitCount(std::uint32_t code)
{
    return code < 0x10000 ? 1 : 2;
}

} // namespace

std::size_t utf16Length(std::string_view utf8)
{
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < utf8.size();)
        units += unitCount(decodeNext(utf8, pos));
    return units;
}

int compareUtf16(std::string_view a, std::string_view b)
{
    // Equal bytes decode alike, so start at the first differing byte, moved
    // back to a place where both texts begin a character: a byte that is not
    // a continuation byte always does (a malformed sequence gives up at it),
    // and so does the end of a text.
    const auto diff = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    std::size_t pos = static_cast<std::size_t>(diff.first - a.begin());
    if (pos < a.size() && pos < b.size()) {
        const auto byteA = static_cast<unsigned char>(a[pos]);
        const auto byteB = static_cast<unsigned char>(b[pos]);
        if (byteA < 0x80 && byteB < 0x80) // two ASCII characters decide it
            return byteA < byteB ? -1 : 1;
    }
    const auto continuesAt = [](std::string_view text, std::size_t at) {
        return at < text.size() && utf8::isContinuation(static_cast<unsigned char>(text[at]));
    };
    while (pos > 0 && (continuesAt(a, pos) || continuesAt(b, pos)))
        --pos;
    std::size_t posA = pos;
    std::size_t posB = pos;
    while (posA < a.size() && posB < b.size()) {
        const std::uint32_t codeA = decodeNext(a, posA);
        const std::uint32_t codeB = decodeNext(b, posB);
        if (codeA == codeB)
            continue;
        const std::uint32_t unitA = firstUnit(codeA);
        const std::uint32_t unitB = firstUnit(codeB);
        if (unitA != unitB)
            return unitA < unitB ? -1 : 1;
        // Same high surrogate: the low surrogates order as the code points do.
        return codeA < codeB ? -1 : 1;
    }
    if (posA < a.size())
        return 1;
    return posB < b.size() ? -1 : 0;
}

std::string leftUtf16(std::string_view utf8, std::size_t units)
{
    std::size_t taken = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t next = pos;
        const std::size_t width = unitCount(decodeNext(utf8, next));
        if (taken + width > units)
            break;
        taken += width;
        pos = next;
    }
    return std::string(utf8.substr(0, pos));
}

} // namespace brisk
