#pragma once
// Helpers of the workbook tests: the generated template, an independent
// reader (openpyxl under Debian's python3) and raw zip entry access.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace brisk::test {

// The template the build generates beside the executables.
std::filesystem::path resultsTemplatePath();

// What openpyxl reports for one query.
struct ReadBack {
    std::string type;         // Python type name: "str", "float", "int", "NoneType"
    std::string dataType;     // openpyxl's data_type: "s", "n", "f", ...
    std::string value;        // str() of the value, UTF-8
    std::string numberFormat; // the cell's number format
};

// Queries: "cell:Sheet!B3", "name:LabelName" (value = the name's reference),
// "sheets:" (value = sheet names joined with ","). Throws std::runtime_error
// with the reader's message when openpyxl is missing or fails to load.
std::map<std::string, ReadBack> readWithOpenpyxl(const std::filesystem::path& file,
                                                 const std::vector<std::string>& queries);

struct RawEntry {
    std::string compressed; // the entry's stored bytes, as in the file
    std::string data;       // inflated
    std::uint32_t crc = 0;
    std::uint16_t method = 0;
};

// Every entry of a zip file by name. Throws std::runtime_error when unreadable.
std::map<std::string, RawEntry> zipEntries(const std::filesystem::path& file);

// The s attribute of a cell in a worksheet part's XML, "" when absent.
std::string styleAttribute(const std::string& sheetXml, const std::string& cell);

} // namespace brisk::test
