#pragma once
// The Message-ID index of one run, built while the run goes on. Where the
// store hands out a self-contained header scan, the index is built on a
// thread of its own, started when the first reply needs it (a run over mail
// whose replies all quote a "Sent: " line never pays for it); a reply that
// needs the index before it is sealed waits in a short list and is timed, in
// item order and by the same rules, as soon as the walk sees the index
// sealed (after each item, or at the run's end by waiting for it). The
// figures are exactly those of an index built before the walk. Where the
// store cannot be scanned beside the walk, the index is built at once.
//
// Only the walk's thread calls these members. The scanning thread writes
// only the index, and the walk reads it only after `m_sealed` says so.

#include "engine/ThreadIndex.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace brisk {

struct AnalysisState;
class MailFolder;
class Prompts;
class ThreadHeaderScan;

class ThreadIndexBuild {
public:
    ThreadIndexBuild() = default;
    ThreadIndexBuild(const ThreadIndexBuild&) = delete;
    ThreadIndexBuild& operator=(const ThreadIndexBuild&) = delete;
    ~ThreadIndexBuild() { abandon(); }

    // Starts the index of every folder of `root`'s tree: from the store's
    // scan job, taken now and run on another thread once a reply needs it,
    // else built before this returns.
    void start(MailFolder& root);

    // What ProcessMessage is given for the next item.
    ReplyThreads lookup();
    // After each item: once the index is sealed, times the replies that
    // waited for it. True when any waited.
    bool poll(AnalysisState& state, Prompts& prompts);
    // Waits for the index, then times the replies that waited for it.
    bool complete(AnalysisState& state, Prompts& prompts);
    // Ends the run's index: stops the scan, waits for its thread, drops the
    // index and the waiting replies.
    void abandon();

    // Waits until the index is sealed, starting its scan if need be; the
    // walk takes it up after its next item (tests that place the moment).
    void waitUntilSealed();

    bool active() const { return m_active; }
    bool scanStarted() const { return m_thread.joinable() || m_sealed.load(); }
    std::size_t waiting() const { return m_deferred.size(); }

private:
    const ThreadIndex* sealed();
    bool resolveDeferred(AnalysisState& state, Prompts& prompts);
    void launch();

    bool m_active = false;
    // The store's scan job until a reply needs the index.
    std::unique_ptr<ThreadHeaderScan> m_job;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_sealed{false};
    // Written by the scanning thread until m_sealed, read by the walk after.
    ThreadIndex m_index;
    std::vector<DeferredReply> m_deferred;
};

} // namespace brisk
