#pragma once
// The outside tools that check a workbook independently of the program: one
// openpyxl reader (Debian's python3) and one LibreOffice lookup.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace brisk::test {

// A cell as openpyxl reads it.
struct ReadValue {
    std::string type;         // "float", "int", "str", "NoneType"; "missing" for an unknown name
    std::string text;         // str() of a text, repr() of a number
    std::string dataType;     // openpyxl's data_type of a cell: "s", "n", "f", ...
    std::string numberFormat; // a cell's number format
    bool isNumber() const { return type == "float" || type == "int"; }
    bool isEmpty() const { return type == "NoneType"; }
    double number() const;
};

// Queries: "Sheet!B3" or "cell:Sheet!B3" (a cell), "label:Name" (the cell a
// defined name points at), "name:Name" (the name's formula text), "sheets:"
// (the sheet names joined by ","), "active:" (the active sheet's title),
// "cf:Sheet" (its conditional formats as "RANGE type" joined by ";"). Throws
// std::runtime_error with the reader's message (openpyxl missing, file unreadable).
std::map<std::string, ReadValue> readWorkbook(const std::filesystem::path& file,
                                              const std::vector<std::string>& queries);

// Debian's LibreOffice soffice, or an empty path.
std::filesystem::path findOffice();
// Converts `file` with soffice --convert-to `filter` into `out`; csv writes
// one "<stem>-<Sheet>.csv" per sheet, the cells as shown. soffice exits 0
// even when it could not load the file: callers check the output exists.
bool officeConvert(const std::filesystem::path& office, const std::filesystem::path& file, const std::string& filter,
                   const std::filesystem::path& out);
// The filter that writes every sheet as UTF-8 CSV, formatted values.
inline constexpr const char* kCsvEverySheet =
    "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1";

} // namespace brisk::test
