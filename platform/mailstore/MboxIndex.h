#pragma once
// The mbox format (RFC 4155): messages separated by lines that start with
// "From " at the start of the file or after a blank line. The index keeps each
// message's byte range without its separator line, so counting needs no parse.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace brisk::mailstore {

struct MboxMessage {
    std::int64_t offset = 0; // first byte after the "From " line
    std::int64_t length = 0; // up to, not including, the blank line before the next separator
};

// Messages of an mbox text. A missing final newline is accepted.
std::vector<MboxMessage> indexMbox(std::string_view data);

// Messages of an mbox file, read through a read-only mapping.
std::vector<MboxMessage> indexMboxFile(const std::filesystem::path& file);

// mboxrd quoting: a line ">From ", ">>From " ... loses one ">".
// Works in place and returns the new size.
size_t unquoteFromLines(char* data, size_t size);
void unquoteFromLines(std::string& raw);

} // namespace brisk::mailstore
