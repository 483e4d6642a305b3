#include "shell/CliProgress.h"

#include "engine/MailStore.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace brisk {
namespace {

long countTree(MailFolder& folder)
{
    long total = folder.itemCount();
    for (MailFolder* child : folder.folders())
        if (!skippedInWalk(*child))
            total += countTree(*child);
    return total;
}

} // namespace

CliProgress::CliProgress(MailFolder& root, const AnalysisState& state, std::ostream& err)
    : m_state(state), m_err(err), m_last(std::chrono::steady_clock::now())
{
    try {
        m_total = countTree(root);
    } catch (const std::exception&) {
        m_total = 0;
    }
}

void CliProgress::tick()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < std::chrono::milliseconds(100))
        return;
    m_last = now;
    draw();
}

void CliProgress::draw()
{
    constexpr int kWidth = 40;
    const long done = m_state.lEmailsProcessed;
    const double fraction = m_total > 0 ? std::min(1.0, static_cast<double>(done) / m_total) : 0.0;
    const int filled = static_cast<int>(fraction * kWidth);
    m_err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << done << '/'
          << m_total << std::flush;
}

void CliProgress::finish()
{
    draw();
    m_err << '\n';
}

} // namespace brisk
