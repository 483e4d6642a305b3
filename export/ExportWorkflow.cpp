#include "export/ExportWorkflow.h"

#include "engine/SavedFile.h"
#include "engine/StepGuard.h"
#include "engine/UsageLogSink.h"
#include "export/InsightsFill.h"
#include "export/ResultsFill.h"
#include "dates/DateValue.h"
#include "platform/system/FileProcedures.h"
#include "platform/workbook/Workbook.h"

#include <unistd.h>

namespace brisk {
namespace {

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool writableFolder(const std::filesystem::path& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Step 4: the shared output folder when asked for and reachable, else the
// application's folder; an application folder that cannot be written (an
// installed program) gives way to the user's documents folder, without a
// message: an installed program always does so, and where the file went is
// told when no application opens it.
std::string outputFolder(ExportContext& c, bool copyToServer)
{
    std::string folder;
    if (copyToServer) {
        if (!DoesFolderExist(c.app.settings.SharedOutputFolder))
            c.prompts.inform("Can't access server, creating a local copy.\nPlease use the 'Share my Results...' link "
                             "in the file.");
        else
            folder = c.app.settings.SharedOutputFolder;
    }
    if (folder.empty()) {
        folder = c.app.settings.applicationFolder.string();
        if (!writableFolder(folder))
            folder = documentsFolder().string();
    }
    return withSlash(folder);
}

} // namespace

std::string safeFileNamePart(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    if (out == "." || out == "..")
        out = "_";
    return out;
}

std::string resultsFileName(const std::string& user, const std::string& folderName, const std::string& analysisDate)
{
    std::string date;
    for (const char c : analysisDate)
        if (c != ':')
            date += c;
    return std::string(kAppTitle) + " Output, " + safeFileNamePart(user) + ", " + safeFileNamePart(folderName) +
           date + ".xlsm";
}

std::filesystem::path unusedPath(const std::filesystem::path& wanted)
{
    std::error_code ec;
    if (!std::filesystem::exists(wanted, ec))
        return wanted;
    const auto stem = wanted.stem().string(), ext = wanted.extension().string();
    for (int n = 2;; ++n) {
        auto candidate = wanted.parent_path() / (stem + " (" + std::to_string(n) + ")" + ext);
        if (!std::filesystem::exists(candidate, ec))
            return candidate;
    }
}

std::string writeResultsWorkbook(const std::filesystem::path& templatePath, const std::filesystem::path& target,
                                 const AppState& app, const PanelView& panel, bool anonymous,
                                 const std::string& analysisDate, Prompts& prompts)
{
    try {
        auto book = Workbook::open(templatePath);
        StepGuard errors(prompts, "ExportButton", app.analysis.lEmailsProcessed);
        errors([&] { fillSummary(*book, app, panel, anonymous, analysisDate, errors); });
        Worksheet* detailed = nullptr;
        errors([&] { detailed = &book->sheet("DetailedResults"); });
        if (detailed)
            fillDetailedResults(*detailed, app, errors);
        errors([&] { fillInsights(*book, app, errors); });
        book->saveCopyAs(target);
        book->close();
        return "";
    } catch (const std::exception& e) {
        return e.what();
    }
}

std::optional<std::filesystem::path> runExport(ExportContext& c)
{
    c.usageLog.logEntry("results");
    if (c.app.analysis.lEmailsAnalysed < 1) {
        c.prompts.inform("No records to show!");
        return std::nullopt;
    }
    const ResultsOptions options = c.view.askResultsOptions();
    if (options.cancelled)
        return std::nullopt;
    const std::string folder = outputFolder(c, options.copyToServer);
    const auto templatePath = c.app.settings.applicationFolder / kTemplateFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(templatePath, ec)) {
        c.prompts.inform(std::string("Template file missing! Make sure the file ") + kTemplateFileName +
                         " is in the same folder as the application.");
        return std::nullopt;
    }
    c.view.setBusy(true);
    const std::string analysisDate = formatLogTimestamp(c.clock.now());
    const std::string user = options.anonymous ? kAnonymous : c.app.session.vUserName;
    const std::string folderName = c.app.session.oPickedFolder ? c.app.session.oPickedFolder->name() : "";
    const auto target = unusedPath(folder + resultsFileName(user, folderName, analysisDate));
    const std::string failure =
        writeResultsWorkbook(templatePath, target, c.app, c.view.panel(), options.anonymous, analysisDate, c.prompts);
    c.view.setBusy(false);
    if (!failure.empty()) {
        c.prompts.inform("The results file could not be saved: " + failure);
        return std::nullopt;
    }
    openSavedFile(target, SavedFileKind::Document, c.prompts, c.desktop);
    return target;
}

} // namespace brisk
