#pragma once
// A progress bar on standard error while brisk-cli analyses a folder tree,
// redrawn at most ten times a second.

#include "engine/AnalysisState.h"

#include <chrono>
#include <iosfwd>

namespace brisk {

class MailFolder;

class CliProgress {
public:
    // Counts the items of the tree that the walk will visit (no message is
    // parsed for that).
    CliProgress(MailFolder& root, const AnalysisState& state, std::ostream& err);
    void tick();
    void finish();

private:
    void draw();

    const AnalysisState& m_state;
    std::ostream& m_err;
    long m_total = 0;
    std::chrono::steady_clock::time_point m_last;
};

} // namespace brisk
