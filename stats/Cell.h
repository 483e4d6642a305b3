#pragma once
// The value types of the statistics: a cell (empty, a number or a text) and a
// one-dimensional array of cells whose lower and upper bounds belong to it.

#include <concepts>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brisk {

// A cell's value: empty, a number or a text. The workbook layer reads and
// writes cells of this type too.
using CellValue = std::variant<std::monostate, double, std::string>;

class Cell {
public:
    Cell() = default;
    Cell(double number) : m_value(number) {}
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    Cell(T number) : m_value(static_cast<double>(number))
    {
    }
    Cell(std::string text) : m_value(std::move(text)) {}
    Cell(std::string_view text) : m_value(std::string(text)) {}
    Cell(const char* text) : m_value(std::string(text)) {}
    Cell(CellValue value) : m_value(std::move(value)) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isNumber() const { return std::holds_alternative<double>(m_value); }
    bool isText() const { return std::holds_alternative<std::string>(m_value); }
    // The empty text or an empty cell.
    bool isBlankText() const;

    // Arithmetic value: an empty cell counts as 0; a text throws
    // std::invalid_argument (a type mismatch of the caller).
    double number() const;
    // The stored text of a text cell, else null; no copy.
    const std::string* textIf() const { return std::get_if<std::string>(&m_value); }
    // Text value: an empty cell is the empty text; a number is written as
    // plain decimal text with at most 15 significant digits.
    std::string text() const;

    const CellValue& value() const { return m_value; }

    // Same kind and same value; an empty cell equals only an empty cell.
    friend bool operator==(const Cell&, const Cell&) = default;

private:
    CellValue m_value;
};

// Orders two cells, negative / zero / positive:
//  - numbers by value;
//  - texts by UTF-16 code units, case-sensitively, a prefix first, the empty
//    text before every other text;
//  - an empty cell as 0 against a number and as the empty text against a text;
//    two empty cells are equal;
//  - a number before every text (as a spreadsheet variant compares them).
// Among numbers and empty cells, or texts and empty cells, this is a total
// order of values; only arrays holding numbers, texts and empty cells at once
// lack one, since an empty cell ties with both 0 and the empty text.
int compareCells(const Cell& a, const Cell& b);

class Array {
public:
    // The empty result of a routine that returns nothing: no cells at all.
    Array() = default;
    // Bounds lower To upper, every cell `fill`; upper = lower - 1 gives no cells.
    Array(long lower, long upper, const Cell& fill = Cell());
    // Cells in order, the first at `lower`.
    Array(long lower, std::vector<Cell> cells);

    bool isEmptyResult() const { return m_emptyResult; }
    long lower() const { return m_lower; }
    long upper() const { return m_lower + static_cast<long>(m_cells.size()) - 1; }
    std::size_t size() const { return m_cells.size(); }

    // Index within lower..upper; outside the bounds throws std::out_of_range.
    Cell& at(long index);
    const Cell& at(long index) const;
    Cell& operator[](long index) { return at(index); }
    const Cell& operator[](long index) const { return at(index); }

    // New bounds lower To upper keeping the cells of the common indices;
    // new cells are empty.
    void resize(long lower, long upper);

    std::vector<Cell>& cells() { return m_cells; }
    const std::vector<Cell>& cells() const { return m_cells; }

    friend bool operator==(const Array&, const Array&) = default;

private:
    long m_lower = 0;
    std::vector<Cell> m_cells;
    bool m_emptyResult = true;
};

} // namespace brisk
