#include "platform/workbook/SafeFile.h"

#include "platform/workbook/Workbook.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::workbook {
namespace {

[[noreturn]] void failWith(const std::filesystem::path& target, const std::string& what, int error)
{
    throw WorkbookError("cannot save " + target.string() + ": " + what + ": " + std::strerror(error));
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Moves the file from `from` to the free name `to`; EEXIST when `to` is taken.
// renameat2 refuses on some file systems (EINVAL), link() on others (EPERM):
// the last resort creates the target with O_EXCL and copies the bytes.
int moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0)
        return errno;
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    ::close(out);
    if (ec) {
        ::unlink(to.c_str());
        return ec.value();
    }
    ::unlink(from.c_str());
    return 0;
}

} // namespace

PendingFile::PendingFile(const std::filesystem::path& target) : m_target(target)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        failWith(target, "cannot write in folder " + folder.string(), errno);
    ::close(fd);
    m_temp = pattern;
}

PendingFile::~PendingFile()
{
    if (!m_published)
        ::unlink(m_temp.c_str());
}

void PendingFile::write(const std::string& bytes)
{
    std::FILE* out = std::fopen(m_temp.c_str(), "wb");
    if (!out)
        failWith(m_target, "cannot write the temporary file", errno);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int error = errno;
    if (std::fclose(out) != 0 || !ok)
        failWith(m_target, "cannot write the temporary file", ok ? errno : error);
}

void PendingFile::publish()
{
    if (::chmod(m_temp.c_str(), newFileMode()) != 0)
        failWith(m_target, "cannot set permissions", errno);
    const int error = moveNoReplace(m_temp, m_target);
    if (error == EEXIST)
        throw WorkbookError("cannot save " + m_target.string() + ": file exists");
    if (error != 0)
        failWith(m_target, "cannot move the file into place", error);
    m_published = true;
}

} // namespace brisk::workbook
