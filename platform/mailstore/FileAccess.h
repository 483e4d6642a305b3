#pragma once
// Read-only file access for the mail store: nothing here writes, renames,
// locks or creates anything. Failures become StoreError with the path and the
// system's reason. Inside a store nothing follows a symbolic link (a link can
// lead out of the store or back into it, round and round) and nothing waits
// on a FIFO or a device: only regular files are read.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace brisk::mailstore {

struct DirEntry {
    std::string name;
    bool isDir = false;
    bool isFile = false; // a regular file
};

struct FileInfo {
    std::int64_t size = 0;
    std::int64_t mtime = 0; // seconds since the epoch
};

// "cannot read PATH: reason" for the current errno.
[[noreturn]] void throwCannotRead(const std::filesystem::path& path, int error);

// The entries of a directory (without "." and ".."). Symbolic links are
// neither directories nor files here: they are not followed.
std::vector<DirEntry> listDirectory(const std::filesystem::path& dir);
// The same entries handed to `visit` one at a time, none kept: a directory
// of a million files is read in fixed memory.
void visitDirectory(const std::filesystem::path& dir, const std::function<void(const DirEntry&)>& visit);

// A directory, not a link to one.
bool isDirectory(const std::filesystem::path& path);
// Size and time of a regular file (not a link); throws otherwise.
FileInfo fileInfo(const std::filesystem::path& path);

// Identity of a directory: device and inode, whatever path leads to it.
struct DirectoryId {
    std::uint64_t device = 0, inode = 0;
    auto operator<=>(const DirectoryId&) const = default;
};
// Throws StoreError when the path is no reachable directory.
DirectoryId directoryId(const std::filesystem::path& dir);

// An open read-only descriptor of a regular file, closed with the object.
// A link at the path is not followed, and a FIFO, socket or device is refused
// without waiting for a writer (StoreError "not a regular file").
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::filesystem::path& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    int fd() const { return m_fd; }
    // Hands the descriptor over to a new owner.
    int release();
    // Size and time when the file was opened.
    const FileInfo& info() const { return m_info; }
    // Exactly `length` bytes from `offset`; throws on a short read.
    void readInto(char* buffer, std::int64_t offset, std::int64_t length) const;

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    FileInfo m_info;
};

// True when the file's first line starts with "From " (an mbox file).
bool startsWithFromLine(const std::filesystem::path& path);

// True when `name` ends in `suffix` (ASCII case ignored) and is longer than it.
bool hasSuffixIgnoringCase(const std::string& name, const std::string& suffix);

} // namespace brisk::mailstore
