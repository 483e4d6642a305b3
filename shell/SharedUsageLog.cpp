#include "shell/SharedUsageLog.h"

#include "dates/DateValue.h"
#include "platform/system/FileProcedures.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <utility>

#include <unistd.h>

namespace brisk {

namespace {

// Enough for any burst of launches within one second.
constexpr int kMaxNameAttempts = 1000;

std::string logFileName(const std::string& stamp, int attempt)
{
    if (attempt == 1)
        return stamp + " log.txt";
    return stamp + " (" + std::to_string(attempt) + ") log.txt";
}

// The template's bytes, or nothing when it is missing or unreadable: the log
// then starts empty, which is what the installed template holds anyway.
std::string readTemplate(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAllIgnoringErrors(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

SharedUsageLog::SharedUsageLog(const Settings& settings, std::string vUserName, Prompts& prompts, Clock& clock)
    : m_settings(settings), m_userName(std::move(vUserName)), m_prompts(prompts), m_clock(clock)
{
}

bool SharedUsageLog::loggingAllowed() const
{
    return DoesFolderExist(m_settings.SharedOutputFolder) && m_userName != m_settings.AdminUserName;
}

void SharedUsageLog::create()
{
    if (!loggingAllowed())
        return;
    m_logFilePath = reserveLogFile(formatFileTimestamp(m_clock.now()));
    logEntry("launch");
}

// Creates the log with O_EXCL so that a launch in the same second (by anyone
// sharing the folder) never replaces another launch's log: the name taken
// first wins and later launches number theirs. A failure other than a taken
// name leaves the first name as the path; the launch entry's write then
// reports the problem to the user.
std::string SharedUsageLog::reserveLogFile(const std::string& stamp) const
{
    const std::string folder = m_settings.SharedOutputFolder;
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string path = folder + logFileName(stamp, attempt);
        const int fd = createNewFile(path);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd >= 0) {
            writeAllIgnoringErrors(fd, readTemplate(m_settings.applicationFolder / "log.txt"));
            ::close(fd);
        }
        return path;
    }
    // Every name taken: writing into another launch's log would mix two
    // users' entries, so this launch goes unlogged.
    return {};
}

void SharedUsageLog::logEntry(std::string_view action)
{
    // Without a log from start-up there is nowhere to write: skip rather than
    // attempt an empty path and show an error the user cannot act on.
    if (m_logFilePath.empty() || !loggingAllowed())
        return;
    WriteToFile(m_logFilePath, formatLogTimestamp(m_clock.now()) + "," + std::string(action), m_prompts);
}

} // namespace brisk
