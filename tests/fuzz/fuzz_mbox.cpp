// The mbox splitter: every message range lies inside the input, ranges come
// in order without overlap, unquoting never grows a message, and unquoting in
// pieces (as big messages are) gives the same text as unquoting it whole.

#include "platform/mailstore/MboxIndex.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace brisk::mailstore;

void brisk::fuzz::fuzzOne(std::string_view text)
{
    std::int64_t end = 0;
    for (const MboxMessage& m : indexMbox(text)) {
        require(m.offset >= end && m.length >= 0 && m.offset + m.length <= std::int64_t(text.size()));
        end = m.offset + m.length;
        const std::string_view quoted = text.substr(std::size_t(m.offset), std::size_t(m.length));
        std::string whole(quoted), streamed;
        unquoteFromLines(whole);
        require(whole.size() <= quoted.size());
        FromUnquoter unquoter;
        const std::size_t piece = 1 + std::size_t(m.offset % 7);
        for (std::size_t at = 0; at < quoted.size(); at += piece)
            unquoter.feed(quoted.substr(at, piece), streamed);
        unquoter.finish(streamed);
        require(streamed == whole);
    }
}
