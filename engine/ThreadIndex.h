#pragma once
// The Message-ID index of a run: for every message of the store, its
// Message-ID and its received time, so that a reply can be timed from the
// message it answers (RFC 5322 section 3.6.4) wherever in the store that
// message lies. Built in one pass over the store's headers before the walk,
// kept while the run is paused, freed when the run ends. Each message costs
// 16 bytes (a 64-bit hash of its id and its time), outside the per-item
// arrays.

#include "platform/dates/DateValue.h"

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
    std::size_t size() const { return m_entries.size(); }
    std::size_t bytes() const { return m_entries.capacity() * sizeof(Entry); }

private:
    using Entry = std::pair<std::uint64_t, DateValue>;
    static std::uint64_t hashOf(std::string_view messageId);
    void addFolder(MailFolder& folder);

    std::vector<Entry> m_entries;
};

} // namespace brisk
