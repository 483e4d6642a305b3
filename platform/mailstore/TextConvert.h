#pragma once
// Text as a mail client shows it: bytes in a declared (or guessed) charset
// turned into UTF-8, HTML turned into plain text, line ends made CR LF.
// Pure functions without GMime objects, so tests can feed them bytes.

#include <string>
#include <string_view>

namespace brisk::mailstore {

// Converts `bytes` labelled `charset` (may be empty or unknown) to UTF-8.
// When the label is missing or wrong: the bytes as they are if they are valid
// UTF-8, else read as windows-1252, else invalid sequences replaced by U+FFFD.
std::string toUtf8(std::string_view bytes, std::string_view charset);
// The same conversion in place: valid text that needs none is left as it is,
// without a copy.
void makeUtf8(std::string& text, std::string_view charset);
// True for the iconv names of charsets whose valid text is UTF-8 as it stands.
bool isUtf8Compatible(const char* iconvName);

// Plain text of an HTML document (UTF-8 in and out): script and style
// dropped, block elements end lines, runs of blanks collapsed.
std::string htmlToText(std::string_view html);

// Every lone LF and lone CR becomes CR LF; CR LF stays.
std::string toCrLf(std::string_view text);
// The same in place; a text whose lines all end in CR LF is not copied.
void makeCrLf(std::string& text);

} // namespace brisk::mailstore
