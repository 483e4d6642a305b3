#pragma once
// Helpers of the export tests: a known store whose buckets are written out
// by hand, a window stand-in, a headless analysis and exports read back.

#include "engine/UsageLogSink.h"
#include "export/ExportWorkflow.h"
#include "shell/HeadlessWindow.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/OfficeTools.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brisk::test {

// One item of the known store. Weekday, hour and month are written by hand
// from a calendar, so the expected buckets do not come from the code tested.
struct KnownItem {
    int year, month, day, hour, minute, weekday; // 1 = Monday ... 7 = Sunday
    std::string subject, quotedSent;             // quotedSent: a reply body's "Sent: " text, or ""
    int responseMinutes;                         // -1 when the item has no response time
    std::vector<std::string> recipients;
    int attachments, words;
    std::string sender;
    std::int64_t size;
};

// Ten items over Monday, Tuesday, Wednesday, Saturday and Sunday; March, June
// and December 2011. Monday's responses took 30, 90 and 150 minutes, Tuesday's
// 30, 90, 150 and 210; Wednesday, Saturday and Sunday have none.
const std::vector<KnownItem>& knownItems();

// The window as the export sees it: the Results dialog's answer is set by
// the test, the hourglass calls are recorded.
class FakeExportView : public ExportView {
public:
    explicit FakeExportView(const PanelView& panel) : m_panel(panel) {}
    ResultsOptions askResultsOptions() override { return ++asked, options; }
    void setBusy(bool busy) override { busyCalls.push_back(busy); }
    const PanelView& panel() const override { return m_panel; }
    ResultsOptions options;
    int asked = 0;
    std::vector<bool> busyCalls;

private:
    const PanelView& m_panel;
};

// What a cell must hold: a number (within 1e-9) or a text, "" for an empty cell.
struct Expected {
    Expected(const char* t) : text(t) {}
    Expected(std::string t) : text(std::move(t)) {}
    Expected(double n) : number(n) {}
    Expected(int n) : number(n) {}
    std::optional<double> number;
    std::string text;
};
using CellTable = std::vector<std::pair<std::string, Expected>>;
// Reads and checks every query of `table` with openpyxl; returns what was read.
std::map<std::string, ReadValue> expectCells(const std::filesystem::path& file, const CellTable& table);

inline std::filesystem::path builtTemplatePath() { return buildDir() / "app" / kTemplateFileName; }

inline constexpr const char* kAnalysisDate = "05-12-26 14:07:09"; // when every fixture export happens
inline constexpr const char* kUserName = "Zo\xC3\xAB Tester";
inline const std::string kResultsName =
    std::string("Brisk Vezoriv Rizovave Output, ") + kUserName + ", Sent Items05-12-26 140709.xlsm";

// An application folder holding the template, a store in memory, exports through runExport.
class ExportFixture : public ::testing::Test {
protected:
    ExportFixture();
    MemoryFolder& knownFolder(const std::string& name = "Sent Items");
    void analyse(MemoryFolder& folder);
    std::optional<std::filesystem::path> exportNow();
    std::filesystem::path appTemplate() const { return appDir / kTemplateFileName; }

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

} // namespace brisk::test
