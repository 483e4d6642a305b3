#pragma once
// A new file made beside its final name and moved into place only if that
// name is still free, so that saving never replaces an existing file, even
// when another process creates it meanwhile.

#include <filesystem>
#include <string>

namespace brisk::workbook {

class PendingFile {
public:
    // Creates an empty temporary file in target's folder; throws
    // WorkbookError when the folder cannot be written.
    explicit PendingFile(const std::filesystem::path& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& path() const { return m_temp; }
    void write(const std::string& bytes);
    // Gives the file the permissions a newly created file gets (0666 less
    // the umask) and moves it to the target name; throws WorkbookError
    // "file exists" when the target is taken.
    void publish();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    bool m_published = false;
};

} // namespace brisk::workbook
