// The mbox splitter: every message range lies inside the input, ranges come
// in order without overlap, unquoting never grows a message, and unquoting in
// pieces (as big messages are) gives the same text as unquoting it whole.

#include "platform/mailstore/MboxIndex.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace brisk::mailstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::int64_t end = 0;
    for (const MboxMessage& m : indexMbox(text)) {
        if (m.offset < end || m.length < 0 || m.offset + m.length > static_cast<std::int64_t>(size))
            std::abort();
        end = m.offset + m.length;
        std::string raw(text.substr(static_cast<std::size_t>(m.offset), static_cast<std::size_t>(m.length)));
        const std::size_t before = raw.size();
        const std::string quoted = raw;
        unquoteFromLines(raw);
        if (raw.size() > before)
            std::abort();
        FromUnquoter unquoter;
        std::string streamed;
        const std::size_t piece = 1 + static_cast<std::size_t>(m.offset % 7);
        for (std::size_t at = 0; at < quoted.size(); at += piece)
            unquoter.feed(std::string_view(quoted).substr(at, piece), streamed);
        unquoter.finish(streamed);
        if (streamed != raw)
            std::abort();
    }
    return 0;
}
