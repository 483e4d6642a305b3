#pragma once
// Helpers every test layer shares: prompts that record instead of showing,
// a clock that only moves when told, a desktop that records what it was asked
// to open, temporary folders, and the paths of the shared corpora.

#include "engine/Services.h"
#include "engine/UsageLogSink.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brisk::test {

class RecordingPrompts : public Prompts {
public:
    struct Shown {
        std::string text;
        std::string title;
        bool question = false;
    };
    void message(const std::string& text, const std::string& title) override { shown.push_back({text, title, false}); }
    // Hands out `answers` in order; No once they are used up.
    bool askYesNo(const std::string& text, const std::string& title) override
    {
        shown.push_back({text, title, true});
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return answer;
    }
    bool messageWithAction(const std::string& text, const std::string& title, const std::string& action) override
    {
        shown.push_back({text, title, false});
        actionsOffered.push_back(action);
        return chooseAction;
    }
    // nullopt in `password`: the user cancelled.
    std::optional<std::string> askPassword(const std::string& text, const std::string&) override
    {
        passwordQuestions.push_back(text);
        return password;
    }
    void failure(const std::string& text, const std::string& cause) override
    {
        causes.push_back(cause);
        Prompts::failure(text, cause);
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& s : shown)
            out.push_back(s.text);
        return out;
    }

    std::vector<Shown> shown;
    std::vector<std::string> causes;
    std::vector<std::string> actionsOffered;
    bool chooseAction = false;
    std::vector<bool> answers;
    std::optional<std::string> password;
    std::vector<std::string> passwordQuestions;
};

class FakeClock : public Clock {
public:
    explicit FakeClock(double start) : current(start) {}
    double now() override { return current; }
    void sleepFor(double seconds) override { advanceSeconds(seconds); }
    void advanceSeconds(double seconds) { current += seconds / 86400.0; }
    double current;
};

// The usage log entries a run or an export wrote, in order.
class RecordingLog : public UsageLog {
public:
    void logEntry(std::string_view action) override { entries.emplace_back(action); }
    std::vector<std::string> entries;
};

class RecordingDesktop : public Desktop {
public:
    void openUrl(const std::string& url) override { urls.push_back(url); }
    bool openFile(const std::filesystem::path& file) override { return files.push_back(file), opens; }
    bool openInTextEditor(const std::filesystem::path& file) override { return textFiles.push_back(file), opens; }
    bool canOpenFolders() override { return showsFolders; }
    bool openFolder(const std::filesystem::path& folder) override { return folders.push_back(folder), showsFolders; }
    // Whether an application opens files, and a file manager shows folders.
    bool opens = true;
    bool showsFolders = false;
    std::vector<std::filesystem::path> folders, files, textFiles;
    std::vector<std::string> urls;
};

// A fresh, empty folder removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

inline std::filesystem::path sourceDir() { return BRISK_SOURCE_DIR; }
inline std::filesystem::path buildDir() { return BRISK_BUILD_DIR; }
// ../shared/corpora beside the repository, or nullopt when it is absent.
std::optional<std::filesystem::path> corporaDir();
// The bundled sample store made by the build.
inline std::filesystem::path sampleStoreDir() { return buildDir() / "data" / "sample-store"; }

void writeFile(const std::filesystem::path& file, const std::string& content);
std::string readFile(const std::filesystem::path& file);

// A word for /bin/sh, in single quotes.
std::string shellQuote(const std::string& text);
// Runs a Python script with Debian's /usr/bin/python3 (which has openpyxl) and
// returns what it printed; throws with its error output when it fails.
std::string runPython(const std::string& script, const std::vector<std::string>& args);

} // namespace brisk::test

// Skips the current test, with a clear message, when the shared corpora are absent.
#define BRISK_REQUIRE_CORPORA(var)                                                                                     \
    const auto var##_opt = ::brisk::test::corporaDir();                                                                \
    if (!var##_opt)                                                                                                    \
        GTEST_SKIP() << "../shared/corpora is absent; corpus tests need it beside the repository";                     \
    const std::filesystem::path var = *var##_opt
