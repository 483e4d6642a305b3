#pragma once
// A workbook package (.xlsx/.xlsm, ECMA-376 Office Open XML) opened from a
// file, edited in memory and saved as a new file. It stands in for the
// spreadsheet application's workbook: sheets by name, cells and one-column
// ranges by address, labels by name, and "save a copy as".
//
// Everything the edits do not touch is kept: unchanged parts of the package
// are copied byte for byte, cells keep their style. Strings are written as
// inline strings, so that no text ever becomes a formula. Once any cell has
// been written, the saved copy asks for a full recalculation on load (the
// calculation chain is removed and formulas lose their cached values).

#include "stats/Cell.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brisk {


// A workbook that cannot be opened, read or saved, or a missing sheet, label
// or malformed address.
class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Workbook;

namespace workbook {
struct SheetPart;
struct PackageEdits;
}

class Worksheet {
public:
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    const std::string& name() const;

    // Writes a one-column range ("B3:B9", any letter case, "$" allowed) in one
    // operation, the first element in the range's first row, like assigning a
    // transposed array. A longer array fills only the range; when the array is
    // shorter, the cells below it keep what they held (the spreadsheet
    // application would show #N/A there). Throws WorkbookError for an address
    // that is not one column.
    void setRange(std::string_view address, const std::vector<CellValue>& column);
    void setCell(std::string_view address, const CellValue& value);
    // Reads a cell back: its value, or a formula's cached value.
    CellValue cell(std::string_view address) const;

private:
    friend class Workbook;
    Worksheet(Workbook& book, std::unique_ptr<workbook::SheetPart> part);

    Workbook& m_book;
    std::unique_ptr<workbook::SheetPart> m_part;
};

class Workbook {
public:
    // Opens a package read-only; the file itself is never modified.
    // Throws WorkbookError on a missing or broken file.
    static std::unique_ptr<Workbook> open(const std::filesystem::path& file);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    const std::filesystem::path& path() const;
    std::vector<std::string> sheetNames() const;
    bool hasSheet(std::string_view name) const;
    // Worksheets by name, ignoring ASCII case as the spreadsheet application
    // does; chart sheets are not listed. Throws WorkbookError when no
    // worksheet has that name.
    Worksheet& sheet(std::string_view name);

    // Labels are workbook-level defined names that point at one cell
    // ("Summary!$C$4"); names compare ignoring ASCII case, as the spreadsheet
    // application's do. Setting a label writes its cell; an unknown label
    // throws WorkbookError.
    bool hasLabel(std::string_view name) const;
    void setLabel(std::string_view name, const CellValue& value);
    CellValue label(std::string_view name) const;

    // Saves the edited workbook as a new file. Never replaces an existing
    // file ("file exists"); throws WorkbookError when the folder cannot be
    // written. The opened file stays as it was.
    void saveCopyAs(const std::filesystem::path& target);
    // Releases the workbook; any later call throws WorkbookError.
    void close();

    // The package's state, opaque outside the workbook's own code.
    struct Impl;

private:
    friend class Worksheet;
    explicit Workbook(std::unique_ptr<Impl> impl);
    Impl& impl() const;
    void noteCellWritten();
    const std::string& sharedString(std::size_t index) const;
    workbook::PackageEdits collectEdits();

    std::unique_ptr<Impl> m_impl;
};

} // namespace brisk
