#pragma once
// The one UTF-8 codec of the program (RFC 3629): decoding that accepts only
// well-formed, shortest-form sequences of scalar values, and encoding of a
// code point. Every layer may use it: stats is the leaf of the link order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brisk::utf8 {

// What a lead byte announces (RFC 3629 section 4): the length of its
// sequence (1 for ASCII, 0 for a byte that begins none: a continuation byte,
// C0, C1, F5..FF), the payload bits it carries and the smallest code point a
// sequence of that length may hold (shorter ones are overlong).
struct Lead {
    int length = 0;
    std::uint32_t bits = 0;
    std::uint32_t minimum = 0;
};
// Inline: body scanning asks it for every byte.
inline Lead leadOf(unsigned char byte)
{
    if (byte < 0x80)
        return {1, byte, 0};
    if (byte >= 0xC2 && byte <= 0xDF)
        return {2, byte & 0x1Fu, 0x80};
    if (byte >= 0xE0 && byte <= 0xEF)
        return {3, byte & 0x0Fu, 0x800};
    if (byte >= 0xF0 && byte <= 0xF4)
        return {4, byte & 0x07u, 0x10000};
    return {};
}

inline bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// True for a code point a sequence of the given lead may stand for: not
// overlong, no surrogate (U+D800..U+DFFF), not above U+10FFFF.
inline bool isWellFormed(std::uint32_t code, std::uint32_t minimum)
{
    return code >= minimum && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

// Decodes the character at `pos` and moves `pos` past it; for bytes that
// begin no well-formed sequence (cut short included), nullopt, and `pos`
// moves past that one byte only.
std::optional<std::uint32_t> decode(std::string_view text, std::size_t& pos);

// Bytes of the well-formed sequence at the start of `text`, or 0.
std::size_t sequenceLength(std::string_view text);

// Appends the UTF-8 form of a code point up to U+10FFFF.
void append(std::string& out, std::uint32_t code);

} // namespace brisk::utf8
