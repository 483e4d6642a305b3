#pragma once
// The Message-ID index of a run: for every message of the store, its
// Message-ID and its received time, so that a reply can be timed from the
// message it answers (RFC 5322 section 3.6.4) wherever in the store that
// message lies. Built in one pass over the store's headers, on a thread of
// its own while the walk runs where the store allows it (ThreadIndexBuild),
// kept while the run is paused, freed when the run ends. Each message costs
// 16 bytes (a 64-bit hash of its id and its time), outside the per-item
// arrays.

#include "dates/DateValue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace brisk {

class MailFolder;

class ThreadIndex {
public:
    // Every message of `root` and of all the folders below it, trash and
    // "Deleted Items" included: a reply's original may lie anywhere.
    static ThreadIndex build(MailFolder& root);

    void add(std::string_view messageId, DateValue receivedTime);
    // Sorts the entries for lookup; a repeated id keeps its earliest time.
    void seal();

    // The received time of the message with this id, if it is in the store.
    std::optional<DateValue> receivedTime(std::string_view messageId) const;
    std::optional<DateValue> receivedTimeOfHash(std::uint64_t hash) const;
    static std::uint64_t hashOf(std::string_view messageId);
    std::size_t size() const { return m_entries.size(); }
    std::size_t bytes() const { return m_entries.capacity() * sizeof(Entry); }

private:
    using Entry = std::pair<std::uint64_t, DateValue>;
    void addFolder(MailFolder& folder);

    std::vector<Entry> m_entries;
};

// A reply that waits for the index being built: what the threading rule and
// the attribution rule need, taken from the item when it was analysed.
struct DeferredReply {
    std::int64_t slot = 0;
    DateValue received = 0;
    // Hashes of the ids the threading rule tries, in its order.
    std::vector<std::uint64_t> parents;
    // The attribution line's time, when it passed the plausibility test.
    std::optional<DateValue> attributed;
};

// The run's index as a reply sees it: sealed (`index`), still being built
// (no `index`; a reply that needs it waits in `deferred`), or none at all.
struct ReplyThreads {
    ReplyThreads() = default;
    ReplyThreads(const ThreadIndex* sealed) : index(sealed) {} // NOLINT: a sealed index is the common case
    const ThreadIndex* index = nullptr;
    std::vector<DeferredReply>* deferred = nullptr;
};

} // namespace brisk
