#include "engine/ThreadIndexBuild.h"

#include "engine/AnalysisState.h"
#include "engine/MailStore.h"
#include "engine/MessageAnalysis.h"
#include "engine/StepGuard.h"

#include <exception>

namespace brisk {

void ThreadIndexBuild::start(MailFolder& root)
{
    abandon();
    m_active = true;
    m_job = root.threadHeaderScan();
    if (!m_job) {
        m_index = ThreadIndex::build(root);
        m_sealed.store(true, std::memory_order_release);
    }
}

void ThreadIndexBuild::launch()
{
    if (!m_job)
        return;
    m_thread = std::thread([this, job = std::move(m_job)] {
        // The job ends the scan of a folder at its errors; what is left (out
        // of memory) ends the scan with the ids read so far.
        try {
            job->run([this](std::string_view id, double received) { m_index.add(id, received); }, m_stop);
            m_index.seal();
        } catch (const std::exception&) {
        }
        m_sealed.store(true, std::memory_order_release);
    });
}

const ThreadIndex* ThreadIndexBuild::sealed()
{
    if (!m_active || !m_sealed.load(std::memory_order_acquire))
        return nullptr;
    if (m_thread.joinable())
        m_thread.join();
    return &m_index;
}

ReplyThreads ThreadIndexBuild::lookup()
{
    ReplyThreads threads(sealed());
    if (m_active && !threads.index)
        threads.deferred = &m_deferred;
    return threads;
}

bool ThreadIndexBuild::poll(AnalysisState& state, Prompts& prompts)
{
    if (m_deferred.empty())
        return false;
    launch();
    return sealed() && resolveDeferred(state, prompts);
}

void ThreadIndexBuild::waitUntilSealed()
{
    launch();
    if (m_thread.joinable())
        m_thread.join();
}

bool ThreadIndexBuild::complete(AnalysisState& state, Prompts& prompts)
{
    if (m_deferred.empty())
        return false;
    waitUntilSealed();
    return poll(state, prompts);
}

// In item order, each as ProcessMessage would have timed it, with its
// errors reported under the item's own number.
bool ThreadIndexBuild::resolveDeferred(AnalysisState& state, Prompts& prompts)
{
    for (const DeferredReply& reply : m_deferred) {
        const auto number = static_cast<std::int32_t>(reply.slot + 1);
        const StepGuard step(prompts, "ProcessMessage", number);
        step([&] {
            if (const auto response = laterReplyRules(reply, &m_index))
                recordResponseTime(state, reply.slot, *response, reply.received);
        });
    }
    m_deferred.clear();
    m_deferred.shrink_to_fit();
    return true;
}

void ThreadIndexBuild::abandon()
{
    m_stop.store(true, std::memory_order_relaxed);
    if (m_thread.joinable())
        m_thread.join();
    m_stop.store(false, std::memory_order_relaxed);
    m_sealed.store(false, std::memory_order_relaxed);
    m_job.reset();
    m_index = ThreadIndex();
    m_deferred.clear();
    m_deferred.shrink_to_fit();
    m_active = false;
}

} // namespace brisk
