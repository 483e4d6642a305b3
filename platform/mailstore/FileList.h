#pragma once
// The message files of one folder as names in one buffer: about the length
// of a file's name plus four bytes each, instead of a path object of some
// hundred bytes, so that a folder of a million messages lists in tens of
// megabytes. The paths are made when an item is asked for.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace brisk::mailstore {

class FileList {
public:
    FileList() = default;
    explicit FileList(std::filesystem::path dir) : m_dir(std::move(dir)) {}

    // A file by its path below the folder's directory ("cur/1.eml").
    void add(std::string_view relative);
    // Orders the files by their names (byte order), a name found in two
    // subdirectories by the subdirectory's.
    void sortByName();

    std::size_t size() const { return m_starts.size(); }
    bool empty() const { return m_starts.empty(); }
    std::string_view relative(std::size_t i) const;
    std::filesystem::path path(std::size_t i) const { return m_dir / relative(i); }

private:
    std::filesystem::path m_dir;
    // Each name ends where the next begins (the last at the buffer's end).
    std::string m_names;
    std::vector<std::uint32_t> m_starts;
};

} // namespace brisk::mailstore
