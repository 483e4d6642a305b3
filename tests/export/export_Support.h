#pragma once
// Helpers of the export tests: a known store whose buckets are written out
// by hand, a window stand-in for the export, a whole headless analysis
// followed by exports, and an independent reader of the saved workbook
// (openpyxl under Debian's python3).

#include "shell/HeadlessWindow.h"
#include "engine/UsageLogSink.h"
#include "export/ExportWorkflow.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brisk::test {

// One item of the known store. Weekday, hour and month are written by hand
// from a calendar, so the expected buckets do not come from the code tested.
struct KnownItem {
    int year, month, day, hour, minute;
    int weekday; // 1 = Monday ... 7 = Sunday
    std::string subject;
    std::string quotedSent; // the body's "Sent: " text, "" for none
    int responseMinutes;    // -1 when the item has no response time
    std::vector<std::string> recipients;
    int attachments;
    int words;
    std::string sender;
    std::int64_t size;
};

// Ten items over Monday, Tuesday, Wednesday, Saturday and Sunday; March, June
// and December 2011. Monday's responses took 30, 90 and 150 minutes, Tuesday's
// 30, 90, 150 and 210; Wednesday, Saturday and Sunday have none.
const std::vector<KnownItem>& knownItems();
MemoryItem toMemoryItem(const KnownItem& known);

class RecordingLog : public UsageLog {
public:
    void logEntry(std::string_view action) override { entries.emplace_back(action); }
    std::vector<std::string> entries;
};

// The window as the export sees it: the Results dialog's answer is set by
// the test, the hourglass calls are recorded.
class FakeExportView : public ExportView {
public:
    explicit FakeExportView(const PanelView& panel) : m_panel(panel) {}
    ResultsOptions askResultsOptions() override
    {
        ++asked;
        return options;
    }
    void setBusy(bool busy) override { busyCalls.push_back(busy); }
    const PanelView& panel() const override { return m_panel; }

    ResultsOptions options;
    int asked = 0;
    std::vector<bool> busyCalls;

private:
    const PanelView& m_panel;
};

// The template the build generates beside the executables.
std::filesystem::path builtTemplatePath();

// "05-12-26 14:07:09", the moment every fixture export happens.
inline constexpr const char* kAnalysisDate = "05-12-26 14:07:09";
inline constexpr const char* kUserName = "Zo\xC3\xAB Tester";

// An application folder holding the template, a store in memory, a headless
// analysis and exports through runExport.
class ExportFixture : public ::testing::Test {
protected:
    ExportFixture();
    MemoryFolder& knownFolder(const std::string& name = "Sent Items");
    void analyse(MemoryFolder& folder);
    std::optional<std::filesystem::path> exportNow();
    std::filesystem::path appTemplate() const { return appDir / kTemplateFileName; }
    std::string box(PanelBox b) const { return window.panel.boxText(b); }

    TempDir dir;
    std::filesystem::path appDir;
    MemoryStore store;
    AppState app;
    RecordingPrompts prompts;
    RecordingDesktop desktop;
    FakeClock clock;
    RecordingLog log;
    NoUsageLog runLog;
    HeadlessWindow window;
    FakeExportView view;
};

// A cell as openpyxl reads it.
struct ReadValue {
    std::string type; // "float", "int", "str", "NoneType"; "missing" for an unknown label
    std::string text; // str() of a text, repr() of a number
    bool isNumber() const { return type == "float" || type == "int"; }
    bool isEmpty() const { return type == "NoneType"; }
    double number() const;
};

// Queries: "Sheet!B3" (a cell), "label:Name" (the cell a defined name points
// at), "ref:Name" (the name's reference), "active:" (the active sheet's title),
// "cf:Sheet" (its conditional formats as "RANGE type", joined by ";"),
// "fmt:Sheet!B3" (the cell's number format).
// Fails the test with the reader's message (openpyxl missing, file unreadable)
// by throwing std::runtime_error.
std::map<std::string, ReadValue> readBack(const std::filesystem::path& file, const std::vector<std::string>& queries);

// Runs a shell command; its exit status, or -1 when it did not exit normally.
int runCommand(const std::string& command);

// A copy of `source` whose xl/workbook.xml went through `edit`.
void copyWithWorkbookXml(const std::filesystem::path& source, const std::filesystem::path& target,
                         const std::function<std::string(std::string)>& edit);

} // namespace brisk::test
