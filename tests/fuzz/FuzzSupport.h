#pragma once
// Shared by the libFuzzer targets: each defines fuzzOne() over the input's
// bytes; a broken property aborts. The readers under test take files, so an
// input is written to a scratch file that lives as long as the process.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace brisk::fuzz {

void fuzzOne(std::string_view input);

inline void require(bool holds)
{
    if (!holds)
        std::abort();
}

class ScratchFile {
public:
    explicit ScratchFile(const std::string& suffix = "")
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brisk-fuzz-XXXXXX" + suffix;
        m_fd = ::mkstemps(pattern.data(), static_cast<int>(suffix.size()));
        require(m_fd >= 0);
        m_path = pattern;
    }
    ~ScratchFile() { ::close(m_fd), ::unlink(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's content with the bytes.
    const std::filesystem::path& write(std::string_view bytes)
    {
        require(::ftruncate(m_fd, 0) == 0 && ::pwrite(m_fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size()));
        return m_path;
    }

private:
    int m_fd = -1;
    std::filesystem::path m_path;
};

} // namespace brisk::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    brisk::fuzz::fuzzOne({reinterpret_cast<const char*>(data), size});
    return 0;
}
