#pragma once
// An IMAP account as a mail store: imaps://user@host[:port]/ or
// imap://user@host[:port]/ (plain text to this machine's loopback address
// only, STARTTLS required elsewhere). Nothing on the server changes:
// mailboxes are opened with EXAMINE and messages read with BODY.PEEK[].

#include "engine/MailStore.h"
#include "platform/imap/ImapSession.h"

#include <memory>
#include <string>

namespace brisk {
class Prompts;
}

namespace brisk::imap {

// Asks the password once through `prompts`, logs in and lists the folders.
// Throws StoreError with a clear message (refused login, no password given,
// unverifiable certificate, unreachable server).
std::unique_ptr<MailStore> openImapStore(const std::string& location, Prompts& prompts,
                                         const ImapOptions& options = {});

} // namespace brisk::imap
