#pragma once
// IMAP account addresses of the form imaps://user@host[:port]/ and
// imap://user@host[:port]/ (RFC 5092 section 3, user and host only), and the
// rule for which of them may travel without TLS.

#include <optional>
#include <string>
#include <string_view>

namespace brisk::imap {

struct ImapUrl {
    bool implicitTls = false; // imaps: TLS from the first byte (port 993)
    std::string user;         // percent-decoded
    std::string host;         // without IPv6 brackets
    int port = 0;

    // Plain text is allowed only to this machine's own loopback address;
    // anywhere else imap:// must upgrade with STARTTLS before logging in.
    bool loopback() const;
    bool startTlsRequired() const { return !implicitTls && !loopback(); }
    // "imaps://user@host:993/", without any password: for messages and
    // for reopening.
    std::string display() const;
    // "user at host", as the password question names the account.
    std::string account() const;
};

// True for texts that start with imap:// or imaps:// (ASCII case ignored).
bool isImapUrl(std::string_view text);

// Throws StoreError naming what is wrong ("no user name in ...").
ImapUrl parseImapUrl(std::string_view text);

} // namespace brisk::imap
