#pragma once
// The zip container of a workbook package, read from memory, and the edited
// copy written through libzip so that unchanged entries are copied raw.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace brisk::workbook {

class ZipPackage {
public:
    // Takes the whole file's bytes; throws WorkbookError when they are not a zip.
    ZipPackage(std::string bytes, const std::filesystem::path& file);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Part names compare ignoring case (ECMA-376 Part 2, 9.1.1.1).
    bool has(std::string_view part) const;
    // Throws WorkbookError when the part is missing or cannot be inflated.
    std::string read(std::string_view part) const;
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    std::filesystem::path m_file;
    struct zip* m_zip = nullptr;
};

struct PackageEdits {
    std::map<std::string, std::string> replaced; // part name -> new content
    std::vector<std::string> removed;
    bool empty() const { return replaced.empty() && removed.empty(); }
};

// `file` already holds a copy of the original package; applies the edits in
// place. Throws WorkbookError on failure.
void applyEdits(const std::filesystem::path& file, const PackageEdits& edits);

} // namespace brisk::workbook
