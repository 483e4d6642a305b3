#include "platform/mailstore/FileAccess.h"

#include "engine/MailStore.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::mailstore {

void throwCannotRead(const std::filesystem::path& path, int error)
{
    throw StoreError("cannot read " + path.string() + ": " + std::strerror(error));
}

std::vector<DirEntry> listDirectory(const std::filesystem::path& dir)
{
    DIR* handle = ::opendir(dir.c_str());
    if (!handle)
        throwCannotRead(dir, errno);
    std::vector<DirEntry> entries;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        DirEntry item{name, entry->d_type == DT_DIR, entry->d_type == DT_REG};
        // Links and file systems without d_type need a stat to tell the kind.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::stat((dir / name).c_str(), &st) == 0) {
                item.isDir = S_ISDIR(st.st_mode);
                item.isFile = S_ISREG(st.st_mode);
            }
        }
        entries.push_back(std::move(item));
    }
    ::closedir(handle);
    return entries;
}

bool isDirectory(const std::filesystem::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileInfo fileInfo(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throwCannotRead(path, errno);
    return {static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec)};
}

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) : m_path(path)
{
    // O_NOATIME spares the access time but is refused (EPERM) for files the
    // process does not own: then open plainly.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (m_fd < 0 && errno == EPERM)
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throwCannotRead(path, errno);
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int ReadOnlyFile::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

FileInfo ReadOnlyFile::info() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        throwCannotRead(m_path, errno);
    if (S_ISDIR(st.st_mode))
        throwCannotRead(m_path, EISDIR);
    return {static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec)};
}

std::string ReadOnlyFile::read(std::int64_t offset, std::int64_t length) const
{
    std::string data(static_cast<size_t>(length), '\0');
    readInto(data.data(), offset, length);
    return data;
}

void ReadOnlyFile::readInto(char* data, std::int64_t offset, std::int64_t length) const
{
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd, data + done, static_cast<size_t>(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throwCannotRead(m_path, errno);
        if (got == 0)
            throw StoreError("cannot read " + m_path.string() + ": file ended early");
        done += got;
    }
}

bool startsWithFromLine(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char head[5];
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    return got == 5 && std::memcmp(head, "From ", 5) == 0;
}

bool hasSuffixIgnoringCase(const std::string& name, const std::string& suffix)
{
    return name.size() > suffix.size()
        && ::strcasecmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0;
}

} // namespace brisk::mailstore
