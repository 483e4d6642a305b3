#pragma once
// The usage log of one launch: a text file in the shared output folder named
// after the launch time, one "DD-MM-YY HH:MM:SS,<action>" line per entry.
// The administrator is never logged, and nothing is written while the shared
// folder cannot be reached.

#include "engine/Services.h"
#include "engine/Settings.h"
#include "engine/UsageLogSink.h"

#include <string>
#include <string_view>

namespace brisk {

class SharedUsageLog : public UsageLog {
public:
    SharedUsageLog(const Settings& settings, std::string vUserName, Prompts& prompts, Clock& clock);

    // Start-up: when the logging rule allows it, creates this launch's log as
    // a copy of applicationFolder/log.txt under a name no other launch holds
    // ("<stamp> log.txt", else "<stamp> (2) log.txt", ...), then writes the
    // launch entry. Otherwise no log exists for this launch.
    void create();

    // Writes one entry when the logging rule allows it at this moment; when
    // no log was created at start-up the entry is skipped silently.
    void logEntry(std::string_view action) override;

    // The logging rule: the shared folder is reachable now and the user is
    // not the administrator (exact comparison).
    bool loggingAllowed() const;

    // This launch's log, empty when none was created.
    const std::string& vLogFilePath() const { return m_logFilePath; }

private:
    std::string reserveLogFile(const std::string& stamp) const;

    const Settings& m_settings;
    std::string m_userName;
    Prompts& m_prompts;
    Clock& m_clock;
    std::string m_logFilePath;
};

} // namespace brisk
