#pragma once
// The in-memory chart workbook behind the main window's live chart: three
// sheets, the first holding the chart data table and one chart object bound
// to a source range of it. The names of its operations follow the
// spreadsheet object model the chart routines are written against (Range,
// Transpose, Ready, ChartObjects(1).Chart.SetSourceData), so those routines
// read as they would against a real spreadsheet application.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace brisk::chart {

// A cell is empty, a number or a text.
using CellValue = std::variant<std::monostate, double, std::string>;
// A block of cell values, row by row: grid[row][column], both 0-based.
using CellGrid = std::vector<std::vector<CellValue>>;

// A rectangular block of cells; rows and columns are 1-based (A1 = 1, 1).
struct RangeAddress {
    int firstRow = 1, firstColumn = 1, lastRow = 1, lastColumn = 1;

    int rows() const { return lastRow - firstRow + 1; }
    int columns() const { return lastColumn - firstColumn + 1; }
    bool contains(int row, int column) const;
    bool intersects(const RangeAddress& other) const;
    // Upper-case A1 form, "B15:B21", or "B15" for a single cell.
    std::string text() const;
    bool operator==(const RangeAddress&) const = default;
};

// Reads "B15", "a15:b21", "$C$15:$D$38" in any letter case; the corners may
// come in any order. nullopt for anything else.
std::optional<RangeAddress> parseRangeAddress(std::string_view address);
// Column letters to their 1-based number: "A" = 1, "Z" = 26, "AA" = 27.
int columnNumber(std::string_view letters);
std::string columnLetters(int column);

class ChartSheet;

// A view of a block of one sheet's cells, as returned by ChartSheet::Range.
class SheetRange {
public:
    SheetRange(ChartSheet& sheet, RangeAddress address) : m_sheet(&sheet), m_address(address) {}

    const RangeAddress& address() const { return m_address; }
    ChartSheet& sheet() const { return *m_sheet; }
    // All values of the block, rows × columns.
    CellGrid Value() const;
    // Writes the block in one operation. Cells beyond the given grid get the
    // text "#N/A", as a spreadsheet does when a smaller array fills a range.
    void setValue(const CellGrid& values);
    // Writes one value into every cell of the block.
    void setValue(const CellValue& value);

private:
    ChartSheet* m_sheet;
    RangeAddress m_address;
};

// What a bound chart shows: categories from the source range's first column,
// values from its second.
struct ChartSeriesData {
    std::vector<std::string> categories;
    std::vector<double> values;
};

class Chart {
public:
    // Binds the chart to a source range; the observer hears of it.
    void SetSourceData(const SheetRange& source);
    const std::optional<SheetRange>& sourceData() const { return m_source; }
    // The bound range read as categories and values; empty when unbound.
    ChartSeriesData seriesData() const;
    // Called when the binding changes or a cell of the bound range changes.
    void setChangeObserver(std::function<void()> observer) { m_observer = std::move(observer); }
    void notifyChanged() const;

private:
    std::optional<SheetRange> m_source;
    std::function<void()> m_observer;
};

struct ChartObject {
    chart::Chart Chart;
};

class ChartSheet {
public:
    explicit ChartSheet(std::string name) : m_name(std::move(name)) {}
    ChartSheet(const ChartSheet&) = delete;
    ChartSheet& operator=(const ChartSheet&) = delete;

    const std::string& Name() const { return m_name; }
    // Throws std::invalid_argument for an address that is not one.
    SheetRange Range(std::string_view address);
    CellValue cell(int row, int column) const;
    // Writes cells; this sheet's bound charts whose source range holds a
    // changed cell are told.
    void writeCells(const RangeAddress& block, const CellGrid& values);

    // 1-based, as the object model counts; throws std::out_of_range.
    ChartObject& ChartObjects(int index);
    ChartObject& addChartObject();
    int chartObjectCount() const { return static_cast<int>(m_chartObjects.size()); }

private:
    bool storeCell(int row, int column, const CellValue& value);

    std::string m_name;
    std::map<std::pair<int, int>, CellValue> m_cells;
    std::vector<std::unique_ptr<ChartObject>> m_chartObjects;
};

// The application serving the chart workbook.
class ChartApplication {
public:
    // True once the application accepts calls; tests make it stay busy.
    bool Ready() const { return m_ready; }
    void setReady(bool ready) { m_ready = ready; }
    // A 1-based row of n numbers (values[0] is element 1) as an n × 1 column.
    CellGrid Transpose(const std::vector<double>& values) const;

private:
    bool m_ready = true;
};

class ChartWorkbook {
public:
    // "Sheet1" (active, holding the chart data table and the chart object
    // bound to the weekday columns), "Sheet2" and "Sheet3", both empty.
    ChartWorkbook();
    ChartWorkbook(const ChartWorkbook&) = delete;
    ChartWorkbook& operator=(const ChartWorkbook&) = delete;

    ChartApplication& Parent() { return m_application; }
    ChartSheet& ActiveSheet() { return *m_sheets.front(); }
    // Throws std::out_of_range for a name the workbook does not hold.
    ChartSheet& Sheets(std::string_view name);
    int sheetCount() const { return static_cast<int>(m_sheets.size()); }

private:
    ChartApplication m_application;
    std::vector<std::unique_ptr<ChartSheet>> m_sheets;
};

// Text of a cell as a chart category shows it.
std::string cellText(const CellValue& value);
// Number of a cell as a chart value reads it (text and empty give 0).
double cellNumber(const CellValue& value);

} // namespace brisk::chart
