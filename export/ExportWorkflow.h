#pragma once
// The Results button: the current analysis into a results workbook made from
// the template beside the program, saved as a new results file (locally or
// in the shared output folder, optionally anonymous) and opened for the user.

#include "engine/ResultsPanel.h"
#include "engine/Session.h"

#include <filesystem>
#include <optional>
#include <string>

namespace brisk {

class Clock;
class Desktop;
class Prompts;
class UsageLog;

inline constexpr const char* kTemplateFileName = "%%BRISK Vezoriv Analysis Template%%.xlsm";

struct ResultsOptions {
    bool cancelled = false;
    bool anonymous = false;     // MakeResultsAnonymousCheckbox
    bool copyToServer = false;  // CopyFileToServerCheckbox
};

// What the export needs from the window.
class ExportView {
public:
    virtual ~ExportView() = default;
    // Clears both check boxes, shows the Results dialog modally and returns
    // what the user chose.
    virtual ResultsOptions askResultsOptions() = 0;
    // The hourglass while the workbook is filled and saved.
    virtual void setBusy(bool busy) = 0;
    virtual const PanelView& panel() const = 0;
};

struct ExportContext {
    AppState& app;
    ExportView& view;
    Prompts& prompts;
    Desktop& desktop;
    Clock& clock;
    UsageLog& usageLog;
};

// ExportButton_Click's work; returns the results file, or nullopt when
// nothing was saved.
std::optional<std::filesystem::path> runExport(ExportContext& context);

// The file name of a results file: "<title> Output, <user>, <folder><date>.xlsm"
// with the folder's name made safe for a file name and the ":" of the date removed.
std::string resultsFileName(const std::string& user, const std::string& folderName, const std::string& analysisDate);
// A name that can stand in a folder: no path separators or control characters.
std::string safeFileNamePart(const std::string& text);
// `wanted`, or "<stem> (2)<ext>", "(3)" ... when a file of that name exists.
std::filesystem::path unusedPath(const std::filesystem::path& wanted);

// Fills the template and saves it as `target` (never replacing a file);
// returns the error text, empty on success. Used by the command line.
std::string writeResultsWorkbook(const std::filesystem::path& templatePath, const std::filesystem::path& target,
                                 const AppState& app, const PanelView& panel, bool anonymous,
                                 const std::string& analysisDate, Prompts& prompts);

} // namespace brisk
