#pragma once
// Cell texts and numbers as they are stored in worksheet XML.

#include <string>
#include <string_view>

namespace brisk::workbook {

// The longest text a cell holds, in UTF-16 code units.
constexpr std::size_t kMaxCellChars = 32767;

// Makes a UTF-8 text storable in a cell: drops bytes that are not UTF-8 and
// characters XML 1.0 cannot hold (section 2.2 "Characters": controls other
// than tab, line feed and carriage return, U+FFFE, U+FFFF), cuts it to the
// cell limit, and escapes what readers would otherwise change: a carriage
// return becomes "_x000D_" (XML parsers turn CR LF into LF) and a literal
// "_xHHHH_" gets its underscore escaped as "_x005F_" (ECMA-376 Part 1,
// 22.9.2.19 ST_Xstring).
std::string toCellXmlText(std::string_view utf8);
// The reverse of the escaping: "_xHHHH_" -> that character.
std::string fromCellXmlText(std::string_view text);

// A number as the value of a cell: the shortest text that reads back as the
// same double (at most 17 significant digits).
std::string formatCellNumber(double value);

} // namespace brisk::workbook
