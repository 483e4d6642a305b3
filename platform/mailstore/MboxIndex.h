#pragma once
// The mbox format (RFC 4155): messages separated by lines that start with
// "From " at the start of the file or after a blank line. The index keeps each
// message's byte range without its separator line, so counting needs no parse.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brisk::mailstore {

struct MboxMessage {
    std::int64_t offset = 0; // first byte after the "From " line
    std::int64_t length = 0; // up to, not including, the blank line before the next separator
    bool quoted = false;     // holds a line ">From ", ">>From " ... (mboxrd quoting)
};

// Messages of an mbox text. A missing final newline is accepted. `scanned`,
// when given, is told now and then how far the scan has come.
std::vector<MboxMessage> indexMbox(std::string_view data, const std::function<void(size_t)>& scanned = {});

// Messages of an mbox file, read through a read-only mapping.
std::vector<MboxMessage> indexMboxFile(const std::filesystem::path& file);

// mboxrd quoting: a line ">From ", ">>From " ... loses one ">".
// Works in place and returns the new size.
size_t unquoteFromLines(char* data, size_t size);
void unquoteFromLines(std::string& raw);

// The same unquoting for text that arrives in pieces of any size; the state
// between pieces is a few counters, whatever the length of a line.
class FromUnquoter {
public:
    // Appends the unquoted text of `piece` to `out`.
    void feed(std::string_view piece, std::string& out);
    // The text's end: hands out what a possible quote held back.
    void finish(std::string& out);

private:
    enum class State { LineStart, Quotes, Matching, Body };
    void flushHeld(std::string& out);
    State m_state = State::LineStart;
    std::int64_t m_quotes = 0;
    std::size_t m_matched = 0;
};

class ReadOnlyFile;
// An unlinked temporary file with `length` bytes of `file` from `offset`,
// unquoted: big mbox messages are parsed from it in a bounded window instead
// of being unquoted in memory. Returns its descriptor, at offset 0.
int unquotedCopy(const ReadOnlyFile& file, std::int64_t offset, std::int64_t length);

} // namespace brisk::mailstore
