#include "platform/chart/ChartWorkbook.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace brisk::chart {

namespace {

// The largest sheet of the 2007 and later workbook format: XFD1048576.
constexpr int kMaxColumn = 16384;
constexpr int kMaxRow = 1048576;

struct CellRef {
    int row = 0, column = 0;
};

// One corner, "$B$15" or "b15"; advances pos past it.
std::optional<CellRef> parseCell(std::string_view text, std::size_t& pos)
{
    auto isAlpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (pos < text.size() && text[pos] == '$')
        ++pos;
    const std::size_t lettersStart = pos;
    while (pos < text.size() && isAlpha(text[pos]))
        ++pos;
    const std::size_t letterCount = pos - lettersStart;
    if (letterCount == 0 || letterCount > 3)
        return std::nullopt;
    const int column = columnNumber(text.substr(lettersStart, letterCount));
    if (pos < text.size() && text[pos] == '$')
        ++pos;
    const std::size_t digitsStart = pos;
    long row = 0;
    while (pos < text.size() && isDigit(text[pos]) && row <= kMaxRow)
        row = row * 10 + (text[pos++] - '0');
    if (pos == digitsStart || row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn)
        return std::nullopt;
    return CellRef{static_cast<int>(row), column};
}

std::string formatNumber(double value)
{
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.15g", value);
    return buffer.data();
}

void addCategoryColumn(ChartSheet& sheet, int column, const std::vector<std::string>& texts)
{
    CellGrid grid;
    for (const auto& text : texts)
        grid.push_back({CellValue{text}});
    const int lastRow = 15 + static_cast<int>(texts.size()) - 1;
    sheet.writeCells(RangeAddress{15, column, lastRow, column}, grid);
}

// Sheet1's chart data table: titles in row 14, categories and values below.
void writeChartDataTable(ChartSheet& sheet)
{
    sheet.Range("A14:F14").setValue(CellGrid{{
        CellValue{"DoW"}, CellValue{"%Emails on different days"},
        CellValue{"ToD"}, CellValue{"%Emails in different hours"},
        CellValue{"MoY"}, CellValue{"%Emails in different months"},
    }});
    addCategoryColumn(sheet, 1, {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"});
    std::vector<std::string> hours;
    for (int hour = 0; hour < 24; ++hour) {
        std::array<char, 8> text{};
        std::snprintf(text.data(), text.size(), "%02d-%02d", hour, hour + 1);
        hours.emplace_back(text.data());
    }
    addCategoryColumn(sheet, 3, hours);
    addCategoryColumn(sheet, 5, {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"});
    // The stored sample values the chart shows until the program writes.
    CellGrid samples;
    for (int day = 1; day <= 7; ++day)
        samples.push_back({CellValue{day / 100.0}});
    sheet.Range("B15:B21").setValue(samples);
    sheet.Range("D15:D38").setValue(CellValue{0.0});
    sheet.Range("F15:F26").setValue(CellValue{0.0});
}

} // namespace

bool RangeAddress::contains(int row, int column) const
{
    return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
}

bool RangeAddress::intersects(const RangeAddress& other) const
{
    return firstRow <= other.lastRow && other.firstRow <= lastRow
        && firstColumn <= other.lastColumn && other.firstColumn <= lastColumn;
}

std::string RangeAddress::text() const
{
    std::string first = columnLetters(firstColumn) + std::to_string(firstRow);
    if (rows() == 1 && columns() == 1)
        return first;
    return first + ":" + columnLetters(lastColumn) + std::to_string(lastRow);
}

int columnNumber(std::string_view letters)
{
    int number = 0;
    for (char c : letters)
        number = number * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
    return number;
}

std::string columnLetters(int column)
{
    std::string letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

std::optional<RangeAddress> parseRangeAddress(std::string_view address)
{
    std::size_t pos = 0;
    const auto first = parseCell(address, pos);
    if (!first)
        return std::nullopt;
    CellRef last = *first;
    if (pos < address.size() && address[pos] == ':') {
        ++pos;
        const auto second = parseCell(address, pos);
        if (!second)
            return std::nullopt;
        last = *second;
    }
    if (pos != address.size())
        return std::nullopt;
    return RangeAddress{std::min(first->row, last.row), std::min(first->column, last.column),
                        std::max(first->row, last.row), std::max(first->column, last.column)};
}

CellGrid SheetRange::Value() const
{
    CellGrid grid(static_cast<std::size_t>(m_address.rows()));
    for (int r = 0; r < m_address.rows(); ++r)
        for (int c = 0; c < m_address.columns(); ++c)
            grid[static_cast<std::size_t>(r)].push_back(
                m_sheet->cell(m_address.firstRow + r, m_address.firstColumn + c));
    return grid;
}

void SheetRange::setValue(const CellGrid& values)
{
    m_sheet->writeCells(m_address, values);
}

void SheetRange::setValue(const CellValue& value)
{
    const CellGrid grid(static_cast<std::size_t>(m_address.rows()),
                        std::vector<CellValue>(static_cast<std::size_t>(m_address.columns()), value));
    m_sheet->writeCells(m_address, grid);
}

void Chart::SetSourceData(const SheetRange& source)
{
    m_source = source;
    notifyChanged();
}

ChartSeriesData Chart::seriesData() const
{
    ChartSeriesData data;
    if (!m_source)
        return data;
    for (const auto& row : m_source->Value()) {
        data.categories.push_back(cellText(row.front()));
        data.values.push_back(row.size() > 1 ? cellNumber(row[1]) : 0.0);
    }
    return data;
}

void Chart::notifyChanged() const
{
    if (m_observer)
        m_observer();
}

SheetRange ChartSheet::Range(std::string_view address)
{
    const auto parsed = parseRangeAddress(address);
    if (!parsed)
        throw std::invalid_argument("not a range address: " + std::string(address));
    return SheetRange(*this, *parsed);
}

CellValue ChartSheet::cell(int row, int column) const
{
    const auto found = m_cells.find({row, column});
    return found == m_cells.end() ? CellValue{} : found->second;
}

bool ChartSheet::storeCell(int row, int column, const CellValue& value)
{
    const std::pair<int, int> key{row, column};
    const auto found = m_cells.find(key);
    const CellValue old = found == m_cells.end() ? CellValue{} : found->second;
    if (old == value)
        return false;
    if (std::holds_alternative<std::monostate>(value))
        m_cells.erase(key);
    else
        m_cells[key] = value;
    return true;
}

void ChartSheet::writeCells(const RangeAddress& block, const CellGrid& values)
{
    const CellValue notAvailable{std::string("#N/A")};
    std::vector<std::pair<int, int>> changed;
    for (int r = 0; r < block.rows(); ++r) {
        const auto rowIndex = static_cast<std::size_t>(r);
        for (int c = 0; c < block.columns(); ++c) {
            const auto columnIndex = static_cast<std::size_t>(c);
            const bool inGrid = rowIndex < values.size() && columnIndex < values[rowIndex].size();
            const int row = block.firstRow + r;
            const int column = block.firstColumn + c;
            if (storeCell(row, column, inGrid ? values[rowIndex][columnIndex] : notAvailable))
                changed.emplace_back(row, column);
        }
    }
    for (const auto& object : m_chartObjects) {
        const auto& source = object->Chart.sourceData();
        if (!source || &source->sheet() != this)
            continue;
        const bool touched = std::any_of(changed.begin(), changed.end(), [&](const auto& cell) {
            return source->address().contains(cell.first, cell.second);
        });
        if (touched)
            object->Chart.notifyChanged();
    }
}

ChartObject& ChartSheet::ChartObjects(int index)
{
    if (index < 1 || index > chartObjectCount())
        throw std::out_of_range("no chart object " + std::to_string(index) + " on " + m_name);
    return *m_chartObjects[static_cast<std::size_t>(index - 1)];
}

ChartObject& ChartSheet::addChartObject()
{
    m_chartObjects.push_back(std::make_unique<ChartObject>());
    return *m_chartObjects.back();
}

CellGrid ChartApplication::Transpose(const std::vector<double>& values) const
{
    CellGrid column;
    column.reserve(values.size());
    for (double value : values)
        column.push_back({CellValue{value}});
    return column;
}

ChartWorkbook::ChartWorkbook()
{
    for (const char* name : {"Sheet1", "Sheet2", "Sheet3"})
        m_sheets.push_back(std::make_unique<ChartSheet>(name));
    ChartSheet& data = ActiveSheet();
    writeChartDataTable(data);
    // As stored, the chart shows the weekday columns.
    data.addChartObject().Chart.SetSourceData(data.Range("A15:B21"));
}

ChartSheet& ChartWorkbook::Sheets(std::string_view name)
{
    for (const auto& sheet : m_sheets)
        if (sheet->Name() == name)
            return *sheet;
    throw std::out_of_range("no sheet named " + std::string(name));
}

std::string cellText(const CellValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<double>(&value))
        return formatNumber(*number);
    return {};
}

double cellNumber(const CellValue& value)
{
    const auto* number = std::get_if<double>(&value);
    return number ? *number : 0.0;
}

} // namespace brisk::chart
