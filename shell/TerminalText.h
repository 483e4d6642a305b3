#pragma once
// Text from a mail store (folder names, subjects, senders, paths) shown on a
// terminal: control characters and stray bytes are written as visible
// escapes, so that a name cannot move the cursor, retitle the window or hide
// text with an escape sequence.

#include <string>
#include <string_view>

namespace brisk {

// C0 controls but line feed and tab (and CR before LF), DEL, the C1 controls
// U+0080..U+009F and bytes that are not UTF-8 become "\xNN" (the code point's
// bytes, each escaped); a backslash stays as it is.
std::string terminalSafe(std::string_view text);

} // namespace brisk
