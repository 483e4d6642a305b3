#include "platform/mailstore/SingleByte.h"

#include <glib.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace brisk::mailstore {
namespace {

// Converts `in` with `cd` from its initial state, flushing a shift or a
// character held back for composition; false on any fault, with errno's
// value in `error` when the conversion itself stopped.
bool convertAll(GIConv cd, std::string_view in, std::string& out, int& error)
{
    g_iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string input(in);
    gchar* from = input.data();
    gsize fromLeft = input.size();
    out.assign(in.size() * 4 + 16, '\0');
    gchar* to = out.data();
    gsize toLeft = out.size();
    error = 0;
    if (g_iconv(cd, &from, &fromLeft, &to, &toLeft) == static_cast<gsize>(-1))
        error = errno;
    const gsize beforeFlush = toLeft;
    g_iconv(cd, nullptr, nullptr, &to, &toLeft);
    out.resize(out.size() - toLeft);
    return error == 0 && toLeft == beforeFlush;
}

bool knownToIconv(const char* name)
{
    const GIConv cd = g_iconv_open("UTF-8", name);
    if (cd == reinterpret_cast<GIConv>(-1))
        return false;
    g_iconv_close(cd);
    return true;
}

} // namespace

bool SingleByteTable::build(const char* iconvName)
{
    const GIConv cd = g_iconv_open("UTF-8", iconvName);
    if (cd == reinterpret_cast<GIConv>(-1))
        return false;
    bool single = true;
    std::string all; // every mapped byte in order, to convert at once below
    std::string expected;
    for (int b = 0; b < 256 && single; ++b) {
        const char byte = static_cast<char>(b);
        std::string utf8;
        int error = 0;
        if (!convertAll(cd, std::string_view(&byte, 1), utf8, error)) {
            // No mapping is a hole in the table; anything else (a byte that
            // begins a longer sequence, output held until the flush) means
            // the bytes do not convert one by one.
            single = error == EILSEQ && b >= 0x80 && utf8.empty();
            m_length[b] = 0;
            continue;
        }
        // ASCII as it stands (NUL too, which g_utf8_validate refuses).
        single = b < 0x80 ? utf8 == std::string_view(&byte, 1)
                          : !utf8.empty() && utf8.size() <= 4 &&
                                g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr);
        if (!single)
            break;
        std::memcpy(m_utf8[b].data(), utf8.data(), utf8.size());
        m_length[b] = static_cast<std::uint8_t>(utf8.size());
        all += byte;
        expected += utf8;
    }
    // Bytes next to each other convert as they do alone (no composition).
    std::string together;
    int error = 0;
    single = single && convertAll(cd, all, together, error) && together == expected;
    g_iconv_close(cd);
    return single;
}

bool SingleByteTable::convert(std::string_view bytes, std::string& out) const
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (m_length[b] == 0)
            return false;
        out.append(m_utf8[b].data(), m_length[b]);
    }
    return true;
}

const SingleByteTable* SingleByteTable::find(const char* iconvName)
{
    // Each thread remembers the names it asked for, so that only the first
    // look-up of a charset takes the lock. The tables live as long as the
    // process, like GMime's charset cache: a few KB for each charset met.
    thread_local std::vector<std::pair<std::string, const SingleByteTable*>> seen;
    for (const auto& [name, table] : seen)
        if (name == iconvName)
            return table;
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<SingleByteTable>, std::less<>> tables;
    const std::lock_guard lock(mutex);
    auto [at, added] = tables.try_emplace(iconvName);
    if (added) {
        auto table = std::make_unique<SingleByteTable>();
        if (table->build(iconvName)) {
            at->second = std::move(table);
        } else if (!knownToIconv(iconvName)) {
            // Only names iconv knows are kept, so labels made up by a
            // message cannot grow the cache.
            tables.erase(at);
            return nullptr;
        }
    }
    seen.emplace_back(iconvName, at->second.get());
    return at->second.get();
}

} // namespace brisk::mailstore
