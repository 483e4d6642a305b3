#pragma once
// Read-only file access for the mail store: nothing here writes, renames,
// locks or creates anything. Failures become StoreError with the path and the
// system's reason.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace brisk::mailstore {

struct DirEntry {
    std::string name;
    bool isDir = false;
    bool isFile = false;
};

struct FileInfo {
    std::int64_t size = 0;
    std::int64_t mtime = 0; // seconds since the epoch
};

// "cannot read PATH: reason" for the current errno.
[[noreturn]] void throwCannotRead(const std::filesystem::path& path, int error);

// The entries of a directory (without "." and ".."), symbolic links resolved.
std::vector<DirEntry> listDirectory(const std::filesystem::path& dir);

bool isDirectory(const std::filesystem::path& path);
FileInfo fileInfo(const std::filesystem::path& path);

// An open read-only descriptor, closed with the object.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::filesystem::path& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    int fd() const { return m_fd; }
    // Hands the descriptor over to a new owner.
    int release();
    FileInfo info() const;
    // Exactly `length` bytes from `offset`; throws on a short read.
    std::string read(std::int64_t offset, std::int64_t length) const;
    void readInto(char* buffer, std::int64_t offset, std::int64_t length) const;

private:
    std::filesystem::path m_path;
    int m_fd = -1;
};

// True when the file's first line starts with "From " (an mbox file).
bool startsWithFromLine(const std::filesystem::path& path);

// True when `name` ends in `suffix` (ASCII case ignored) and is longer than it.
bool hasSuffixIgnoringCase(const std::string& name, const std::string& suffix);

} // namespace brisk::mailstore
