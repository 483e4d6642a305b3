#include "shell/UsageReport.h"

#include "engine/SavedFile.h"
#include "platform/dates/DateValue.h"
#include "platform/system/SystemServices.h"
#include "platform/system/FileProcedures.h"
#include "shell/InstalledSettings.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitAtCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t comma; (comma = text.find(',', from)) != std::string::npos; from = comma + 1)
        parts.push_back(text.substr(from, comma - from));
    parts.push_back(text.substr(from));
    return parts;
}

// For n log lines the split has 2n + 1 parts, the last one empty, so the part
// two before the last is the time stamp of the last line.
std::int64_t durationMinutes(const std::vector<std::string>& parts)
{
    const std::size_t highest = parts.size() - 1;
    if (highest <= 2)
        return 0;
    const auto first = parseLogTimestamp(parts[0]);
    const auto last = parseLogTimestamp(parts[highest - 2]);
    if (!first || !last)
        return 0;
    return minutesBetween(*first, *last);
}

std::string accountName(uid_t uid)
{
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
    for (;;) {
        passwd pw{};
        passwd* found = nullptr;
        const int rc = ::getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc == 0 && found && found->pw_name)
            return found->pw_name;
        return std::to_string(uid);
    }
}

// The files the listing yields: regular files, plus links that lead nowhere
// (listed, but they cannot be read). FIFOs, sockets and devices are left out
// because opening them for reading can block or never end.
bool isListedFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    const auto type = entry.status(ec).type();
    if (type == fs::file_type::regular)
        return true;
    return type == fs::file_type::not_found && entry.is_symlink(ec);
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

// The lines read so far, each without its line break. The file is in the
// single-byte code page; the text is carried as UTF-8 and goes back to the
// same bytes when written. An unreadable file gives no lines.
std::vector<std::string> readLines(const fs::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(latin1ToUtf8(line));
    }
    return lines;
}

} // namespace

std::string usageReportRow(const std::string& owner, const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& line : lines)
        s += line + ",";
    return owner + "," + std::to_string(durationMinutes(splitAtCommas(s))) + "," + s;
}

std::string fileOwnerName(const fs::path& file)
{
    // A link that leads nowhere is still listed; its own owner stands in.
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 && ::lstat(file.c_str(), &st) != 0)
        return {};
    return accountName(st.st_uid);
}

std::optional<fs::path> buildUsageReport(const std::string& sharedFolder, const fs::path& reportFolder,
                                         Clock& clock, Prompts& prompts)
{
    const fs::path report = reportFolder / ("BMAusageAsOn" + formatFileTimestamp(clock.now()) + ".csv");
    if (!DoesFolderExist(sharedFolder))
        return std::nullopt;
    const std::string reportPath = report.string();
    WriteToFile(reportPath, kUsageReportHeader, prompts);
    for (const auto& log : logFiles(sharedFolder))
        WriteToFile(reportPath, usageReportRow(fileOwnerName(log), readLines(log)), prompts);
    return report;
}

void runUsageReport(const Settings& settings, const fs::path& reportFolder, Clock& clock, Prompts& prompts,
                    Desktop& desktop)
{
    if (const auto report = buildUsageReport(settings.SharedOutputFolder, reportFolder, clock, prompts))
        openSavedFile(*report, SavedFileKind::Text, prompts, desktop);
}

namespace {

// Messages of the command line go to its error stream; they are counted so
// that the exit status can tell a report with lost lines.
class CountingStreamPrompts : public Prompts {
public:
    explicit CountingStreamPrompts(std::ostream& err) : m_err(err) {}
    void message(const std::string& text, const std::string&) override
    {
        m_err << text << "\n";
        ++count;
    }
    bool askYesNo(const std::string& text, const std::string& title) override
    {
        message(text, title);
        return false;
    }
    int count = 0;

private:
    std::ostream& m_err;
};

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
    SystemClock clock;
    CountingStreamPrompts prompts(err);
    const auto report = buildUsageReport(shared, outFolder, clock, prompts);
    if (!report) {
        err << "brisk-cli --usage-report: shared folder not reachable: " << shared << "\n";
        return 2;
    }
    out << report->string() << "\n";
    return prompts.count == 0 ? 0 : 1;
}

} // namespace brisk
