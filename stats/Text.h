#pragma once
// Texts are held as UTF-8 but measured and ordered as UTF-16 code units,
// the way the mail client and the spreadsheet application count them.
//
// Bytes that are not part of a well-formed UTF-8 sequence (RFC 3629 section 4)
// each count as one unit. For ordering, such a byte b stands for the unit
// 0xDC00 + b (a lone low surrogate, which well-formed UTF-8 never yields), so
// two texts compare equal exactly when their bytes are equal.

#include <cstddef>
#include <string>
#include <string_view>

namespace brisk {

// Number of UTF-16 code units the text takes (2 for a character above U+FFFF).
std::size_t utf16Length(std::string_view utf8);

// Negative, zero or positive as `a` sorts before, equal to or after `b` when
// both are read as sequences of UTF-16 code units. This is byte order except
// where a character above U+FFFF (surrogates D800..DFFF) meets one in
// U+E000..U+FFFF, which byte order puts first and UTF-16 order puts last.
int compareUtf16(std::string_view a, std::string_view b);

// The longest beginning of the text that takes at most `units` UTF-16 code
// units; a character above U+FFFF that would be cut in half is left out whole.
std::string leftUtf16(std::string_view utf8, std::size_t units);

} // namespace brisk
