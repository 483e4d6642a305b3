#pragma once
// The start-up both front ends share: the installation settings and the
// opened mail store become the session (its user named), the run's position
// and the distributions start empty; and this launch's usage log, which the
// window keeps and the command line does not.

#include "engine/Session.h"
#include "engine/UsageLogSink.h"
#include "shell/SharedUsageLog.h"

#include <memory>
#include <string>

namespace brisk {

// The folder to analyse is left to the front end: the window takes the
// store's default folder, the command line the one it was given (finding the
// default folder walks the tree, which listing the folders need not do).
void startSession(AppState& app, const Settings& settings, std::unique_ptr<MailStore> store);

// The Report button is the administrator's: the store's user name equals the
// installation's administrator name exactly.
bool isAdministrator(const AppState& app);

// The usage log of one launch: made at start-up when the logging rule allows
// it, its launch entry written; later entries go to it, or nowhere when no
// log was made (shared folder unreachable, administrator).
class LaunchUsageLog : public UsageLog {
public:
    void open(const AppState& app, Prompts& prompts, Clock& clock);
    void logEntry(std::string_view action) override;
    // Empty when no log was made.
    const std::string& vLogFilePath() const;

private:
    std::unique_ptr<SharedUsageLog> m_log;
};

} // namespace brisk
