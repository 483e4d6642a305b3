#include "engine/ThreadIndex.h"

#include "engine/MailStore.h"

#include <algorithm>
#include <exception>

namespace brisk {

ThreadIndex ThreadIndex::build(MailFolder& root)
{
    ThreadIndex index;
    index.addFolder(root);
    index.seal();
    return index;
}

void ThreadIndex::addFolder(MailFolder& folder)
{
    // A folder or message the store cannot deliver has no id to give; the
    // walk reports it when it reaches it, so the index stays silent.
    try {
        folder.scanThreadHeaders([this](std::string_view id, double received) { add(id, received); });
    } catch (const std::exception&) {
    }
    const std::vector<MailFolder*>* children = nullptr;
    try {
        children = &folder.folders();
    } catch (const std::exception&) {
        return;
    }
    for (MailFolder* child : *children)
        addFolder(*child);
}

// FNV-1a, 64 bits: among a million ids the chance that two share a hash is
// about one in 30 million, and a collision would only mistime one reply.
std::uint64_t ThreadIndex::hashOf(std::string_view messageId)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : messageId) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void ThreadIndex::add(std::string_view messageId, DateValue receivedTime)
{
    if (!messageId.empty())
        m_entries.emplace_back(hashOf(messageId), receivedTime);
}

void ThreadIndex::seal()
{
    std::sort(m_entries.begin(), m_entries.end());
    // Sorted by hash, then time: the first of equal hashes is the earliest.
    m_entries.erase(std::unique(m_entries.begin(), m_entries.end(),
                                [](const Entry& a, const Entry& b) { return a.first == b.first; }),
                    m_entries.end());
    m_entries.shrink_to_fit();
}

std::optional<DateValue> ThreadIndex::receivedTime(std::string_view messageId) const
{
    return receivedTimeOfHash(hashOf(messageId));
}

std::optional<DateValue> ThreadIndex::receivedTimeOfHash(std::uint64_t hash) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), Entry{hash, -1e300});
    if (it == m_entries.end() || it->first != hash)
        return std::nullopt;
    return it->second;
}

} // namespace brisk
