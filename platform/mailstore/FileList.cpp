#include "platform/mailstore/FileList.h"

#include "engine/MailStore.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace brisk::mailstore {

void FileList::add(std::string_view relative)
{
    if (m_names.size() + relative.size() > std::numeric_limits<std::uint32_t>::max())
        throw StoreError("cannot read " + m_dir.string() + ": its file names fill more than 4 GiB");
    m_starts.push_back(static_cast<std::uint32_t>(m_names.size()));
    m_names.append(relative);
}

std::string_view FileList::relative(std::size_t i) const
{
    const std::size_t end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_names.size();
    return std::string_view(m_names).substr(m_starts[i], end - m_starts[i]);
}

void FileList::sortByName()
{
    // Where each name's last component starts, found once rather than at
    // every one of the sort's comparisons.
    std::vector<std::uint32_t> base(m_starts.size());
    for (std::uint32_t i = 0; i < base.size(); ++i) {
        const std::size_t slash = relative(i).rfind('/');
        base[i] = slash == std::string_view::npos ? 0 : static_cast<std::uint32_t>(slash + 1);
    }
    std::vector<std::uint32_t> order(m_starts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::string_view left = relative(a), right = relative(b);
        const int byName = left.substr(base[a]).compare(right.substr(base[b]));
        return byName != 0 ? byName < 0 : left < right;
    });
    FileList sorted(m_dir);
    sorted.m_names.reserve(m_names.size());
    sorted.m_starts.reserve(m_starts.size());
    for (const std::uint32_t i : order)
        sorted.add(relative(i));
    *this = std::move(sorted);
}

} // namespace brisk::mailstore
