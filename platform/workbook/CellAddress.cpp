#include "platform/workbook/CellAddress.h"

#include <algorithm>

namespace brisk::workbook {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the column letters at pos; 0 when there are none or too many.
std::uint32_t readColumn(std::string_view text, std::size_t& pos)
{
    std::uint32_t column = 0;
    const std::size_t start = pos;
    while (pos < text.size() && isLetter(text[pos])) {
        if (pos - start >= 3)
            return 0;
        const char upper = static_cast<char>(text[pos] & ~0x20);
        column = column * 26 + static_cast<std::uint32_t>(upper - 'A' + 1);
        ++pos;
    }
    return column <= kMaxColumn ? column : 0;
}

std::uint32_t readRow(std::string_view text, std::size_t& pos)
{
    std::uint32_t row = 0;
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos])) {
        if (pos - start >= 7)
            return 0;
        row = row * 10 + static_cast<std::uint32_t>(text[pos] - '0');
        ++pos;
    }
    return row <= kMaxRow ? row : 0;
}

} // namespace

std::optional<CellRef> parseCell(std::string_view text)
{
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '$')
        ++pos;
    const std::uint32_t column = readColumn(text, pos);
    if (pos < text.size() && text[pos] == '$')
        ++pos;
    const std::uint32_t row = readRow(text, pos);
    if (column == 0 || row == 0 || pos != text.size())
        return std::nullopt;
    return CellRef{row, column};
}

std::optional<RangeRef> parseRange(std::string_view text)
{
    const std::size_t colon = text.find(':');
    const auto first = parseCell(text.substr(0, colon));
    const auto last = colon == std::string_view::npos ? first : parseCell(text.substr(colon + 1));
    if (!first || !last)
        return std::nullopt;
    return RangeRef{{std::min(first->row, last->row), std::min(first->column, last->column)},
                    {std::max(first->row, last->row), std::max(first->column, last->column)}};
}

std::optional<SheetCell> parseSheetReference(std::string_view text)
{
    if (!text.empty() && text.front() == '=')
        text.remove_prefix(1);
    std::string sheet;
    std::size_t pos = 0;
    if (!text.empty() && text.front() == '\'') {
        // A quoted sheet name doubles its own apostrophes.
        for (pos = 1; pos < text.size(); ++pos) {
            if (text[pos] != '\'') {
                sheet += text[pos];
            } else if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                sheet += '\'';
                ++pos;
            } else {
                break;
            }
        }
        if (pos >= text.size())
            return std::nullopt;
        ++pos;
    } else {
        pos = text.find('!');
        if (pos == std::string_view::npos)
            return std::nullopt;
        sheet = text.substr(0, pos);
    }
    if (sheet.empty() || pos >= text.size() || text[pos] != '!')
        return std::nullopt;
    const auto range = parseRange(text.substr(pos + 1));
    if (!range)
        return std::nullopt;
    return SheetCell{sheet, range->first};
}

std::string columnName(std::uint32_t column)
{
    std::string name;
    while (column > 0) {
        const std::uint32_t digit = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        column = (column - 1) / 26;
    }
    return name;
}

std::string cellName(CellRef cell) { return columnName(cell.column) + std::to_string(cell.row); }

std::uint32_t columnOf(std::string_view address)
{
    std::size_t pos = 0;
    if (pos < address.size() && address[pos] == '$')
        ++pos;
    return readColumn(address, pos);
}

} // namespace brisk::workbook
