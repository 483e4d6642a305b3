#pragma once
// Filling the results workbook: the nineteen labels of the Summary sheet and
// every cell and range of the DetailedResults sheet, from the analysis state,
// the panel's texts and the top-list tables.

#include "engine/ResultsPanel.h"
#include "engine/Session.h"

#include <string>

namespace brisk {

class Workbook;
class Worksheet;
class Prompts;

// The export's two error modes: up to the selection of the first weekday
// median's response times, a failing write shows the generic message;
// afterwards it is skipped silently.
class ExportErrors {
public:
    ExportErrors(Prompts& prompts, const std::int32_t& lEmailsProcessed)
        : m_prompts(prompts), m_processed(lEmailsProcessed)
    {
    }
    template <typename Step>
    void step(Step&& body)
    {
        try {
            body();
        } catch (const std::exception&) {
            if (!m_silent)
                report();
        }
    }
    void report();
    void goSilent() { m_silent = true; }
    bool silent() const { return m_silent; }

private:
    Prompts& m_prompts;
    const std::int32_t& m_processed;
    bool m_silent = false;
};

inline constexpr const char* kAnonymous = "Anonymous";

// Summary: user name ("Anonymous" first, then the user's name unless the
// results are anonymous), folder, analysis date and the panel's texts.
void fillSummary(Workbook& book, const AppState& app, const PanelView& panel, bool anonymous,
                 const std::string& analysisDate, ExportErrors& errors);
// DetailedResults: the weekday, hour and month blocks with totals and
// medians, then the top lists in rows 15 to 24.
void fillDetailedResults(Worksheet& sheet, const AppState& app, ExportErrors& errors);

// The median response time in hours of the responses whose key (weekday,
// hour or month index) is `key`, or nullopt when that bucket has none.
std::optional<double> bucketMedianHours(const PerItemArrays& items, const std::vector<std::int8_t>& keys, int key);

} // namespace brisk
