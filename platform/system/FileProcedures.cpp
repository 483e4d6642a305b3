#include "platform/system/FileProcedures.h"

#include "platform/system/Account.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk {

bool DoesFolderExist(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string writeErrorText(const std::string& path)
{
    return "BRISK Vezoriv Rizovave: Error writing to file: " + path;
}

namespace {

// Length of the UTF-8 sequence led by byte b (RFC 3629 section 3), 0 when b
// cannot lead one.
int sequenceLength(unsigned char b)
{
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF)
        return 3;
    if (b >= 0xF0 && b <= 0xF4)
        return 4;
    return 0;
}

// Opens for appending without following a link at the path or waiting on a
// FIFO (O_NONBLOCK makes a FIFO without a reader fail instead), then refuses
// anything but a regular file.
int openForAppending(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

} // namespace

int createNewFile(const std::string& path)
{
    // O_EXCL with O_CREAT also fails on a link at the path, dangling or not.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

int openSharedFileForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

void WriteToFile(const std::string& path, std::string_view line, Prompts& prompts)
{
    // An empty path would otherwise be an open() failure too; say so plainly.
    const int fd = path.empty() ? -1 : openForAppending(path);
    if (fd < 0) {
        prompts.failure(writeErrorText(path), std::strerror(errno));
        return;
    }
    // Text files end their lines with CR LF.
    if (!writeAll(fd, utf8ToLatin1(line) + "\r\n"))
        prompts.failure(writeErrorText(path), std::strerror(errno));
    // close() reports delayed write errors (NFS, full disks); never retry it
    // on EINTR, the descriptor is gone either way on Linux.
    if (::close(fd) != 0)
        prompts.failure(writeErrorText(path), std::strerror(errno));
}

std::string utf8ToLatin1(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int len = sequenceLength(lead);
        bool valid = len > 0 && i + static_cast<std::size_t>(len) <= utf8.size();
        char32_t cp = len == 1 ? lead : lead & (0x7F >> len);
        for (int k = 1; valid && k < len; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            valid = (cont & 0xC0) == 0x80;
            cp = (cp << 6) | (cont & 0x3F);
        }
        // Overlong forms are malformed (RFC 3629 section 3); C2..DF already
        // rules them out for two-byte sequences.
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000))
            valid = false;
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
        i += static_cast<std::size_t>(len);
    }
    return out;
}

std::string latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const auto record = accountRecord(::getuid()); record && !record->home.empty())
        return record->home;
    return "/";
}

// One line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents". The value
// is quoted, either absolute or relative to $HOME, with \ escaping the next
// character (xdg-user-dirs' documented format; no other expansion).
std::optional<std::string> documentsValue(std::string line, const std::string& home)
{
    static constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0)
        return std::nullopt;
    std::string value;
    for (std::size_t i = start + kKey.size(); i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        value += line[i];
    }
    if (value.starts_with("$HOME"))
        return home + value.substr(5);
    if (value.starts_with("/"))
        return value;
    return std::nullopt;
}

} // namespace

std::filesystem::path documentsFolder()
{
    const std::string home = homeFolder();
    std::filesystem::path config = home + "/.config";
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/')
        config = xdg;
    std::filesystem::path folder = std::filesystem::path(home) / "Documents";
    std::ifstream in(config / "user-dirs.dirs");
    for (std::string line; std::getline(in, line);) {
        if (auto value = documentsValue(line, home))
            folder = *value;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

} // namespace brisk
