#include "shell/AppSetup.h"

namespace brisk {

void startSession(AppState& app, const Settings& settings, std::unique_ptr<MailStore> store)
{
    app.settings = settings;
    SessionValues& session = app.session;
    session.vAppTitle = std::string(kAppTitle);
    session.oNameSpace = std::move(store);
    session.oPickedFolder = nullptr;
    session.vUserName = session.oNameSpace->currentUser();
    app.position.vExitRequested = false;
    app.position.vTopListRefreshPercent = 1;
    AnalysisState& analysis = app.analysis;
    analysis.vHourCount.fill(0);
    analysis.vWeekdayCount.fill(0);
    analysis.vMonthCount.fill(0);
    analysis.vHourPercent.fill(0);
    analysis.vWeekdayPercent.fill(0);
    analysis.vMonthPercent.fill(0);
}

bool isAdministrator(const AppState& app)
{
    return app.session.vUserName == app.settings.AdminUserName;
}

void LaunchUsageLog::open(const AppState& app, Prompts& prompts, Clock& clock)
{
    m_log = std::make_unique<SharedUsageLog>(app.settings, app.session.vUserName, prompts, clock);
    m_log->create();
}

void LaunchUsageLog::logEntry(std::string_view action)
{
    // No log was made at start-up: later entries are skipped rather than
    // written to an empty path.
    if (m_log && !m_log->vLogFilePath().empty())
        m_log->logEntry(action);
}

const std::string& LaunchUsageLog::vLogFilePath() const
{
    static const std::string none;
    return m_log ? m_log->vLogFilePath() : none;
}

} // namespace brisk
