#pragma once
// Where the program's actions are recorded for the organisation's usage
// report. Writers only name the action; the log decides whether the entry is
// written at all (shared folder reachable, user not the administrator).

#include <string_view>

namespace brisk {

class UsageLog {
public:
    virtual ~UsageLog() = default;
    // Appends "DD-MM-YY HH:MM:SS,<action>" when the logging rule allows it.
    virtual void logEntry(std::string_view action) = 0;
};

// A log that records nothing (the command line, tests that do not look).
class NoUsageLog : public UsageLog {
public:
    void logEntry(std::string_view) override {}
};

} // namespace brisk
