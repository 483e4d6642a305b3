#pragma once
// A1-style cell and range addresses as worksheets and defined names use them
// (ECMA-376 Part 1, 18.17.2 "Syntax"): column letters A..XFD, rows 1..1048576,
// optional "$" marks, any letter case.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brisk::workbook {

constexpr std::uint32_t kMaxRow = 1048576;
constexpr std::uint32_t kMaxColumn = 16384;

// 1-based row and column.
struct CellRef {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
    bool operator==(const CellRef&) const = default;
};

struct RangeRef {
    CellRef first;
    CellRef last;
};

// A cell of a named sheet, as a defined name points at it.
struct SheetCell {
    std::string sheet;
    CellRef cell;
};

// "B3", "$b$3": nullopt when the text is not one cell address.
std::optional<CellRef> parseCell(std::string_view text);
// "B3:B9", "b3", "$B$3:$B$9": a single cell is a one-cell range; the corners
// are put in order. Nullopt when the text is not a range.
std::optional<RangeRef> parseRange(std::string_view text);
// "Summary!$C$4", "'My ''own'' sheet'!C4", "=Summary!$C$4:$D$4": the sheet and
// the range's first cell. Nullopt for anything else (constants, formulas).
std::optional<SheetCell> parseSheetReference(std::string_view text);

// 1 -> "A", 28 -> "AB".
std::string columnName(std::uint32_t column);
// {3, 2} -> "B3".
std::string cellName(CellRef cell);
// The column part of a cell address: "AB12" -> 28; 0 when there is none.
std::uint32_t columnOf(std::string_view address);

} // namespace brisk::workbook
