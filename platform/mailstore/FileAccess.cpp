#include "platform/mailstore/FileAccess.h"

#include "engine/MailStore.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::mailstore {

void throwCannotRead(const std::filesystem::path& path, int error)
{
    throw StoreError("cannot read " + path.string() + ": " + std::strerror(error));
}

void visitDirectory(const std::filesystem::path& dir, const std::function<void(const DirEntry&)>& visit)
{
    DIR* handle = ::opendir(dir.c_str());
    if (!handle)
        throwCannotRead(dir, errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(handle, ::closedir);
    DirEntry item;
    while (const dirent* entry = ::readdir(handle)) {
        item.name = entry->d_name;
        if (item.name == "." || item.name == "..")
            continue;
        item.isDir = entry->d_type == DT_DIR;
        item.isFile = entry->d_type == DT_REG;
        // File systems without d_type need an lstat to tell the kind.
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            const bool known = ::lstat((dir / item.name).c_str(), &st) == 0;
            item.isDir = known && S_ISDIR(st.st_mode);
            item.isFile = known && S_ISREG(st.st_mode);
        }
        visit(item);
    }
}

std::vector<DirEntry> listDirectory(const std::filesystem::path& dir)
{
    std::vector<DirEntry> entries;
    visitDirectory(dir, [&](const DirEntry& entry) { entries.push_back(entry); });
    return entries;
}

namespace {

[[noreturn]] void throwNotRegular(const std::filesystem::path& path)
{
    throw StoreError("cannot read " + path.string() + ": not a regular file");
}

} // namespace

bool isDirectory(const std::filesystem::path& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileInfo fileInfo(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        throwCannotRead(path, errno);
    if (!S_ISREG(st.st_mode))
        throwNotRegular(path);
    return {static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec)};
}

DirectoryId directoryId(const std::filesystem::path& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0)
        throwCannotRead(dir, errno);
    if (!S_ISDIR(st.st_mode))
        throwCannotRead(dir, ENOTDIR);
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path) : m_path(path)
{
    // O_NOFOLLOW: a link is refused (ELOOP). O_NONBLOCK: opening a FIFO
    // returns at once instead of waiting for a writer; fstat then refuses it.
    // O_NOATIME spares the access time but is refused (EPERM) for files the
    // process does not own: then open without it.
    constexpr int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    m_fd = ::open(path.c_str(), flags | O_NOATIME);
    if (m_fd < 0 && errno == EPERM)
        m_fd = ::open(path.c_str(), flags);
    if (m_fd < 0)
        throwCannotRead(path, errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throwNotRegular(path);
    }
    m_info = {static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec)};
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
    try {
        const ReadOnlyFile file(path);
        char head[5];
        const ssize_t got = ::pread(file.fd(), head, sizeof head, 0);
        return got == 5 && std::memcmp(head, "From ", 5) == 0;
    } catch (const StoreError&) {
        return false;
    }
}

bool hasSuffixIgnoringCase(const std::string& name, const std::string& suffix)
{
    return name.size() > suffix.size()
        && ::strcasecmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0;
}

} // namespace brisk::mailstore
