#pragma once
// Shared by the libFuzzer targets: the readers under test take files, so each
// input is written to one scratch file that lives as long as the process.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace brisk::fuzz {

class ScratchFile {
public:
    explicit ScratchFile(const char* suffix = "")
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brisk-fuzz-XXXXXX" + suffix;
        m_fd = ::mkstemps(pattern.data(), static_cast<int>(std::char_traits<char>::length(suffix)));
        if (m_fd < 0)
            std::abort();
        m_path = pattern;
    }
    ~ScratchFile()
    {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's content with the input.
    const std::filesystem::path& write(const std::uint8_t* data, std::size_t size)
    {
        if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
        return m_path;
    }

private:
    int m_fd = -1;
    std::filesystem::path m_path;
};

} // namespace brisk::fuzz
