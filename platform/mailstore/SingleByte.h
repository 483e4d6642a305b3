#pragma once
// Single-byte charsets (ISO-8859-x, windows-125x, KOI8 and the like)
// converted to UTF-8 by a table of what iconv gives for each byte, built
// once per charset. A body then costs a table lookup per byte instead of
// two iconv conversions (one to check, one to convert), each opening the
// converter afresh under glibc's global lock.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace brisk::mailstore {

class SingleByteTable {
public:
    // The table for an iconv charset name, or null when the charset is not
    // one whose bytes convert one by one, the same alone as in any text
    // (multi-byte, stateful and composing charsets go through iconv).
    static const SingleByteTable* find(const char* iconvName);

    // Appends the UTF-8 of `bytes` to `out`; false at the first byte iconv
    // has no mapping for (what was appended before it stays).
    bool convert(std::string_view bytes, std::string& out) const;

    // Builds the table from iconv's answers; false when the charset does not
    // qualify. Public for the tests that compare it with iconv.
    bool build(const char* iconvName);

private:
    std::array<std::array<char, 4>, 256> m_utf8{};
    std::array<std::uint8_t, 256> m_length{}; // 0: no mapping
};

} // namespace brisk::mailstore
