#include "shell/UsageReport.h"

#include "engine/SavedFile.h"
#include "dates/DateValue.h"
#include "platform/system/Account.h"
#include "platform/system/HostDateLocale.h"
#include "platform/system/SystemServices.h"
#include "platform/system/FileProcedures.h"
#include "shell/InstalledSettings.h"
#include "shell/StreamPrompts.h"
#include "shell/UsageLogRows.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace brisk {

namespace fs = std::filesystem;

namespace {

std::string accountName(uid_t uid)
{
    const auto record = accountRecord(uid);
    return record && !record->login.empty() ? record->login : std::to_string(uid);
}

// The files the listing yields, told without following links: regular files
// and links (listed, but never followed, so they read as unreadable).
// FIFOs, sockets and devices are left out because opening them for reading
// can block or never end.
bool isListedFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    const auto type = entry.symlink_status(ec).type();
    return type == fs::file_type::regular || type == fs::file_type::symlink;
}

// The last four characters of the full path, lower-cased, are ".txt".
bool hasTxtEnding(const fs::path& file)
{
    std::string tail = file.string();
    if (tail.size() < 4)
        return false;
    tail = tail.substr(tail.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return tail == ".txt";
}

std::vector<fs::path> logFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (isListedFile(*it) && hasTxtEnding(it->path()))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The report file, created new under a name no other report holds
// ("<name>.csv", else "<name> (2).csv", ...) and written through the one
// descriptor it was created with, so no link or file planted at its name is
// ever written through. A line that cannot be written shows the write-error
// message and the building goes on.
class ReportFile {
public:
    ReportFile(const fs::path& first, Prompts& prompts) : m_path(first), m_prompts(prompts)
    {
        const std::string stem = first.stem().string();
        for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
            if (attempt > 1)
                m_path = first.parent_path() / (stem + " (" + std::to_string(attempt) + ").csv");
            m_fd = createNewFile(m_path.string());
            if (m_fd >= 0 || errno != EEXIST)
                break;
        }
        if (m_fd < 0)
            m_cause = std::strerror(errno);
    }
    ~ReportFile()
    {
        if (m_fd >= 0 && ::close(m_fd) != 0)
            m_prompts.failure(writeErrorText(m_path.string()), std::strerror(errno));
    }
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    const fs::path& path() const { return m_path; }
    // Starts a line; write() adds to it and endLine() ends it with CR LF.
    void write(std::string_view text)
    {
        if (!m_failed && (m_fd < 0 || !writeAll(m_fd, text))) {
            m_failed = true;
            if (m_fd >= 0)
                m_cause = std::strerror(errno);
        }
    }
    void endLine()
    {
        write("\r\n");
        if (m_failed)
            m_prompts.failure(writeErrorText(m_path.string()), m_cause);
        m_failed = false;
    }

private:
    static constexpr int kMaxNameAttempts = 1000;
    fs::path m_path;
    Prompts& m_prompts;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_cause;
};

// One log's row: a first pass finds the duration and how far the log has
// been written; the second copies that much into the row. A log that cannot
// be opened (a link, a FIFO, no permission) gets a row without lines.
void writeLogRow(ReportFile& report, const fs::path& log)
{
    LogRowText counted;
    std::int64_t length = 0;
    const int fd = openSharedFileForReading(log.string());
    if (fd >= 0)
        length = streamLog(fd, -1, counted, {});
    report.write(fileOwnerName(log) + "," + std::to_string(counted.durationMinutes()) + ",");
    if (fd >= 0) {
        LogRowText copied;
        streamLog(fd, length, copied, [&](std::string_view text) { report.write(text); });
        ::close(fd);
    }
    report.endLine();
}

} // namespace

std::string usageReportRow(const std::string& owner, const std::vector<std::string>& lines)
{
    LogRowText row;
    std::string s;
    for (const auto& line : lines)
        row.feed(line + "\n", [&](std::string_view text) { s += text; });
    return owner + "," + std::to_string(row.durationMinutes()) + "," + s;
}

std::string fileOwnerName(const fs::path& file)
{
    // Links are not followed: a link's own owner stands in.
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0)
        return {};
    return accountName(st.st_uid);
}

std::optional<fs::path> buildUsageReport(const std::string& sharedFolder, const fs::path& reportFolder,
                                         Clock& clock, Prompts& prompts)
{
    const fs::path report = reportFolder / ("BMAusageAsOn" + formatFileTimestamp(clock.now()) + ".csv");
    if (!DoesFolderExist(sharedFolder))
        return std::nullopt;
    ReportFile file(report, prompts);
    file.write(kUsageReportHeader);
    file.endLine();
    for (const auto& log : logFiles(sharedFolder))
        writeLogRow(file, log);
    return file.path();
}

void runUsageReport(const Settings& settings, const fs::path& reportFolder, Clock& clock, Prompts& prompts,
                    Desktop& desktop)
{
    if (const auto report = buildUsageReport(settings.SharedOutputFolder, reportFolder, clock, prompts))
        openSavedFile(*report, SavedFileKind::Text, prompts, desktop);
}

namespace {

struct ReportOptions {
    std::optional<std::string> sharedFolder;
    std::optional<fs::path> outFolder;
};

// Accepts "--name VALUE" and "--name=VALUE"; returns an error text or nothing.
std::optional<std::string> parseReportOptions(const std::vector<std::string>& args, ReportOptions& options)
{
    std::size_t i = !args.empty() && args[0] == "--usage-report" ? 1 : 0;
    for (; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name != "--shared-folder" && name != "--out")
            return "unknown option: " + args[i];
        if (!value && i + 1 < args.size())
            value = args[++i];
        if (!value || value->empty())
            return name + " needs a folder";
        if (name == "--shared-folder")
            options.sharedFolder = *value;
        else
            options.outFolder = fs::path(*value);
    }
    return std::nullopt;
}

} // namespace

int usageReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    ReportOptions options;
    if (const auto problem = parseReportOptions(args, options)) {
        err << "brisk-cli --usage-report: " << *problem << "\n";
        return 2;
    }
    const std::string shared = options.sharedFolder.value_or(installedSettings({}).SharedOutputFolder);
    if (!DoesFolderExist(shared)) {
        err << "brisk-cli --usage-report: shared folder not reachable: " << shared << "\n";
        return 2;
    }
    const fs::path outFolder = options.outFolder ? *options.outFolder : documentsFolder();
    std::error_code ec;
    fs::create_directories(outFolder, ec);
    if (!fs::is_directory(outFolder, ec)) {
        err << "brisk-cli --usage-report: cannot create output folder: " << outFolder.string() << "\n";
        return 2;
    }
    SystemClock clock(hostTimeZone());
    StreamPrompts prompts(err);
    const auto report = buildUsageReport(shared, outFolder, clock, prompts);
    if (!report) {
        err << "brisk-cli --usage-report: shared folder not reachable: " << shared << "\n";
        return 2;
    }
    out << report->string() << "\n";
    return prompts.errors == 0 ? 0 : 1;
}

} // namespace brisk
