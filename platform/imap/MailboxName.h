#pragma once
// Mailbox names as IMAP servers send them: modified UTF-7 (RFC 3501 section
// 5.1.3), split into levels at the server's hierarchy separator.

#include <string>
#include <vector>

namespace brisk::imap {

// UTF-8 text of a modified UTF-7 name; the name itself when it is not valid
// modified UTF-7 (a server that sends UTF-8 names).
std::string decodeMailboxName(const std::string& name);

// The levels of `name`; the whole name when `separator` is empty (a flat
// server, LIST's NIL delimiter).
std::vector<std::string> splitMailboxName(const std::string& name, const std::string& separator);

} // namespace brisk::imap
