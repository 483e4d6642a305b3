#include "shell/Cli.h"

#include "engine/UsageLogSink.h"
#include "export/ExportWorkflow.h"
#include "dates/DateText.h"
#include "platform/imap/ImapUrl.h"
#include "platform/mailstore/OpenStore.h"
#include "platform/system/ParseProcess.h"
#include "platform/system/SystemServices.h"
#include "shell/CliAnalysis.h"
#include "shell/StreamPrompts.h"
#include "shell/CliProgress.h"
#include "shell/AppSetup.h"
#include "shell/HeadlessWindow.h"
#include "shell/Inspect.h"
#include "shell/InstalledSettings.h"
#include "shell/TerminalText.h"
#include "shell/UsageReport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace brisk {
namespace {

constexpr const char* kUsage =
    "usage: brisk-cli [--folder PATH] [--from DD/MM/YY --to DD/MM/YY] [--json]\n"
    "                 [--export FILE.xlsm [--anonymous]] STORE\n"
    "       brisk-cli --list-folders STORE\n"
    "       brisk-cli --dump N STORE\n"
    "       brisk-cli --usage-report [--shared-folder DIR] [--out DIR]\n";

// --help, in the GNU form.
constexpr const char* kHelp =
    "Usage: brisk-cli [OPTION]... STORE\n"
    "  or:  brisk-cli --list-folders STORE\n"
    "  or:  brisk-cli --dump N STORE\n"
    "  or:  brisk-cli --usage-report [--shared-folder DIR] [--out DIR]\n"
    "Analyse how the e-mails of one folder of the mail store STORE (its Sent Items\n"
    "unless --folder is given) and of its subfolders were handled; print the figures.\n"
    "STORE is a Maildir folder or tree, an mbox file, a Thunderbird folder tree or a\n"
    "folder of .eml files; it is only read.\n"
    "\n"
    "      --folder PATH        analyse the folder PATH from the store's root\n"
    "      --from DD/MM/YY      with --to, analyse only the e-mails of that period\n"
    "      --to DD/MM/YY\n"
    "      --json               print the results as one JSON object\n"
    "      --export FILE.xlsm   also write the results workbook to FILE.xlsm\n"
    "      --anonymous          with --export, write Anonymous for the user's name\n"
    "      --list-folders       print the store's folder tree with item counts\n"
    "      --dump N             print what the analysis reads of the Nth item\n"
    "      --threads N          parse the mail on N threads beside the analysis\n"
    "                             (default: one fewer than the cores; 0: none)\n"
    "      --parser PATH        each of those threads hands the mail to a process\n"
    "                             of PATH (default: this installation's brisk-parse);\n"
    "                             none: the threads parse it themselves\n"
    "      --usage-report       summarise the usage logs of the shared folder\n"
    "      --shared-folder DIR  with --usage-report, read the logs in DIR\n"
    "      --out DIR            with --usage-report, write the report into DIR\n"
    "  -h, --help               display this help and exit\n"
    "      --version            output version information and exit\n"
    "\n"
    "Home page: <" BRISK_PRODUCT_HOME_PAGE_URL ">\n"
    "Full documentation: man brisk-cli\n";

struct Options {
    std::string store;
    std::string folder;
    std::optional<std::string> from, to;
    bool json = false;
    std::string exportFile;
    bool anonymous = false;
    bool listFolders = false;
    std::optional<long> dump;
    std::optional<unsigned> threads;
    std::optional<std::string> parser;
};

// The word after option `i`, into `target`; false when there is none.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string& target)
{
    if (i + 1 >= args.size())
        return false;
    target = args[++i];
    return true;
}

std::string parseDump(const std::string& v, Options& o)
{
    try {
        std::size_t used = 0;
        o.dump = std::stol(v, &used);
        if (used != v.size() || *o.dump < 1)
            throw std::invalid_argument(v);
    } catch (const std::exception&) {
        return "--dump needs an item number from 1, not " + v;
    }
    return "";
}

std::string parseThreads(const std::string& v, Options& o)
{
    if (v.empty() || v.size() > 3 || v.find_first_not_of("0123456789") != std::string::npos)
        return "--threads needs a number of threads from 0 to 999";
    o.threads = static_cast<unsigned>(std::stoul(v));
    return "";
}

// The word `i` and the value it takes; returns an error text or "".
std::string parseWord(const std::vector<std::string>& args, std::size_t& i, Options& o)
{
    const std::string& a = args[i];
    std::string v;
    if (a == "--json")
        o.json = true;
    else if (a == "--anonymous")
        o.anonymous = true;
    else if (a == "--list-folders")
        o.listFolders = true;
    else if (a == "--export")
        return takeValue(args, i, o.exportFile) ? "" : "--export needs a file name";
    else if (a == "--folder")
        return takeValue(args, i, o.folder) ? "" : "--folder needs a folder path";
    else if (a == "--from" || a == "--to") {
        if (!takeValue(args, i, v))
            return a + " needs a date";
        (a == "--from" ? o.from : o.to) = v;
    }
    else if (a == "--dump")
        return takeValue(args, i, v) ? parseDump(v, o) : "--dump needs an item number";
    else if (a == "--threads")
        return takeValue(args, i, v) ? parseThreads(v, o) : "--threads needs a number of threads from 0 to 999";
    else if (a == "--parser") {
        if (!takeValue(args, i, v))
            return "--parser needs a program, or none";
        o.parser = v;
    }
    else if (!a.empty() && a[0] == '-')
        return "unknown option " + a;
    else if (o.store.empty())
        o.store = a;
    else
        return "more than one store given: " + a;
    return "";
}

// Options that only go together.
std::string checkCombination(const Options& o)
{
    if (o.store.empty())
        return "no store given";
    if (o.from.has_value() != o.to.has_value())
        return "--from and --to go together";
    if (o.anonymous && o.exportFile.empty())
        return "--anonymous goes with --export";
    return "";
}

// Parses the words after the program name; returns an error text or "".
std::string parse(const std::vector<std::string>& args, Options& o)
{
    for (std::size_t i = 0; i < args.size(); ++i)
        if (std::string problem = parseWord(args, i, o); !problem.empty())
            return problem;
    return checkCombination(o);
}

// The folder brisk-cli runs from: the workbook template lies there.
std::filesystem::path applicationFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

// Exit status 1 for a run that completed with items or folders unread.
int readErrorStatus(int errors, std::ostream& err)
{
    if (errors == 0)
        return 0;
    err << "brisk-cli: " << errors << (errors == 1 ? " error" : " errors")
        << " while reading the store; the figures leave out what could not be read\n";
    return 1;
}

// Standard output is flushed and checked: a full disk or a closed pipe must
// not pass for a complete result.
int finishOutput(std::ostream& out, std::ostream& err)
{
    errno = 0;
    out.flush();
    if (out)
        return 0;
    err << "brisk-cli: cannot write the output" << (errno ? std::string(": ") + std::strerror(errno) : "") << '\n';
    return 1;
}

int exportResults(const Options& o, const AppState& app, const HeadlessWindow& window, Prompts& prompts,
                  std::ostream& err)
{
    if (app.analysis.lEmailsAnalysed < 1) {
        err << "No records to show!\n";
        return 2;
    }
    const auto templatePath = app.settings.applicationFolder / kTemplateFileName;
    const std::string failure = writeResultsWorkbook(templatePath, o.exportFile, app, window.panel, o.anonymous,
                                                     formatLogTimestamp(SystemClock(app.settings.dateLocale.zone).now()), prompts);
    if (!failure.empty()) {
        err << "brisk-cli: cannot write " << o.exportFile << ": " << failure << '\n';
        return 2;
    }
    err << "Results saved in " << o.exportFile << '\n';
    return 0;
}

// The folder of --folder, else the store's default one; nullptr with a
// message when the store has no such folder.
MailFolder* chosenFolder(const Options& o, MailStore& store, std::ostream& err)
{
    MailFolder* folder = o.folder.empty() ? &store.defaultFolder() : store.findFolder(o.folder);
    if (!folder)
        err << "brisk-cli: no folder " << terminalSafe(o.folder) << " in " << terminalSafe(o.store) << '\n';
    return folder;
}

// The period of --from and --to; false with "Invalid date!" when either is
// no date.
bool setPeriod(const Options& o, const AppState& app, HeadlessWindow& window, std::ostream& err)
{
    if (!o.from)
        return true;
    window.dates = {true, *o.from, *o.to};
    for (const std::string* text : {&*o.from, &*o.to}) {
        if (!parseDateText(*text, app.settings.dateLocale.order)) {
            err << "Invalid date!\n";
            return false;
        }
    }
    return true;
}

// The whole run, with a progress line while standard error is a terminal.
void runWithProgress(HeadlessWindow& window, MailFolder& folder, const AppState& app, std::ostream& err)
{
    std::optional<CliProgress> progress;
    if (isatty(STDERR_FILENO) && &err == &std::cerr) {
        progress.emplace(folder, app.analysis, err);
        window.onYield = [&] { progress->tick(); };
    }
    window.ResetLabels();
    window.controller().StartButton_Click();
    if (progress)
        progress->finish();
}

// Prints the figures; 1 when they cannot be written or cover only part of
// the folder.
int printResults(const Options& o, const AppState& app, const HeadlessWindow& window,
                 const std::vector<std::string>& messages, std::ostream& out, std::ostream& err)
{
    if (o.json)
        printJsonResults(app, window, messages, out);
    else
        printTextResults(app, window, out);
    int status = finishOutput(out, err);
    if (window.runState() == RunState::Paused) { // paused by a lost connection
        err << "brisk-cli: the run stopped before the end; the figures cover the messages read so far\n";
        status = std::max(status, 1);
    }
    return status;
}

int analyse(const Options& o, AppState& app, std::ostream& out, std::ostream& err)
{
    MailFolder* folder = chosenFolder(o, *app.session.oNameSpace, err);
    if (!folder)
        return 2;
    app.session.oPickedFolder = folder;
    StreamPrompts prompts(err);
    prompts.askForPasswords = true;
    NoUsageLog log;
    SystemClock clock(app.settings.dateLocale.zone);
    HeadlessWindow window(app, prompts, log, clock);
    if (o.threads)
        window.controller().setParseThreads(*o.threads);
    if (o.parser && *o.parser != "none" && ::access(o.parser->c_str(), X_OK) != 0) {
        err << "brisk-cli: --parser: cannot run " << *o.parser << ": " << std::strerror(errno) << '\n';
        return 2;
    }
    if (o.parser != "none")
        window.controller().setParseProcesses(parseProcesses(o.parser ? std::filesystem::path(*o.parser) : parserBesideThisProgram()));
    if (!setPeriod(o, app, window, err))
        return 2;
    runWithProgress(window, *folder, app, err);
    const int readErrors = prompts.errors;
    int status = printResults(o, app, window, prompts.texts, out, err);
    if (!o.exportFile.empty())
        status = std::max(status, exportResults(o, app, window, prompts, err));
    return std::max(status, readErrorStatus(readErrors, err));
}

// An item number past the folder's end is a bad argument (2); an item that
// cannot be read is an unread item (1).
int dumpItem(MailFolder& folder, long index, std::ostream& out, std::ostream& err)
{
    const std::string where = terminalSafe(folder.path().empty() ? folder.name() : folder.path());
    try {
        const long count = folder.itemCount();
        if (index > count) {
            err << "brisk-cli: item " << index << " of " << where << ": no such item, the folder holds " << count
                << '\n';
            return 2;
        }
        printItem(*folder.item(index), out);
    } catch (const std::exception& e) {
        err << "brisk-cli: item " << index << " of " << where << ": " << terminalSafe(e.what()) << '\n';
        return 1;
    }
    return finishOutput(out, err);
}

// --help and --version, wherever they stand; nothing when neither is given.
std::optional<int> helpOrVersion(const std::vector<std::string>& args, std::ostream& out)
{
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            out << kHelp;
            return 0;
        }
        if (a == "--version") {
            out << "brisk-cli (BRISK Vezoriv Rireviru) " BRISK_VERSION "\n";
            return 0;
        }
    }
    return std::nullopt;
}

// The settings and the store named on the command line; false with a message
// when the store cannot be opened. An IMAP store's password is looked up for
// the URL's host and user.
bool openStore(const Options& o, AppState& app, std::ostream& err)
{
    try {
        StreamPrompts opening(err);
        opening.askForPasswords = true;
        if (imap::isImapUrl(o.store)) {
            const imap::ImapUrl url = imap::parseImapUrl(o.store);
            opening.passwordMachine = url.host;
            opening.passwordLogin = url.user;
        }
        const Settings settings = installedSettings(applicationFolder());
        startSession(app, settings, openMailStore(o.store, opening, settings.dateLocale.zone));
    } catch (const std::exception& e) {
        err << "brisk-cli: " << terminalSafe(e.what()) << '\n';
        return false;
    }
    return true;
}

int listFolders(MailStore& store, std::ostream& out, std::ostream& err)
{
    const int unread = printFolderTree(store, out, err);
    const int status = finishOutput(out, err);
    if (unread > 0)
        err << "brisk-cli: " << unread << (unread == 1 ? " folder" : " folders") << " could not be read\n";
    return std::max(status, unread > 0 ? 1 : 0);
}

} // namespace

int runCli(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return runCli(args, std::cout, std::cerr);
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (const auto answered = helpOrVersion(args, out))
        return *answered;
    if (!args.empty() && args[0] == "--usage-report")
        return usageReportCommand(args, out, err);
    Options o;
    if (const std::string problem = parse(args, o); !problem.empty()) {
        err << "brisk-cli: " << problem << '\n' << kUsage;
        return 2;
    }
    AppState app;
    if (!openStore(o, app, err))
        return 2;
    MailStore& store = *app.session.oNameSpace;
    if (o.listFolders)
        return listFolders(store, out, err);
    if (o.dump) {
        MailFolder* folder = chosenFolder(o, store, err);
        return folder ? dumpItem(*folder, *o.dump, out, err) : 2;
    }
    return analyse(o, app, out, err);
}

} // namespace brisk
