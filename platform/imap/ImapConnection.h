#pragma once
// One logged-in IMAP connection. libcurl makes it: the TCP connection, TLS
// with the certificate and host name verified (imaps, or STARTTLS that
// imap:// must use beyond this machine), the greeting and the login
// (CURLOPT_CONNECT_ONLY); the commands of a read-only client then go over
// curl_easy_send/curl_easy_recv with tags of our own, so that several can be
// in flight at once and literals of any size stream through a bounded reader.

#include "platform/imap/ImapResponse.h"
#include "platform/imap/ImapUrl.h"

#include <functional>
#include <memory>
#include <string>

namespace brisk::imap {

struct ConnectionOptions {
    long connectTimeoutSeconds = 30;
    int readTimeoutSeconds = 120;
    // Certificate authorities to trust instead of the system's (tests with
    // a certificate of their own); verification itself is never turned off.
    std::string caFile;
};

class ImapConnection : private ByteSource {
public:
    // Throws StoreError for a refused login or an unverifiable certificate,
    // StoreDisconnected when the server cannot be reached.
    ImapConnection(const ImapUrl& url, const std::string& password, const ConnectionOptions& options);
    ~ImapConnection() override;
    ImapConnection(const ImapConnection&) = delete;
    ImapConnection& operator=(const ImapConnection&) = delete;

    // Sends "TAG command" and returns the tag; the answer is read later.
    std::string send(const std::string& command);
    // Reads responses up to the tagged completion of `tag`, handing each
    // untagged one to `onData`. Throws CommandFailed with the server's text
    // for NO and BAD, StoreDisconnected for BYE or a lost connection,
    // ProtocolError for a response that breaks the rules.
    Response finish(const std::string& tag, const ResponseLimits& limits,
                    const std::function<void(Response&)>& onData);
    // send() and finish() in one.
    Response run(const std::string& command, const ResponseLimits& limits,
                 const std::function<void(Response&)>& onData = {});

    const ImapUrl& url() const { return m_url; }

private:
    std::size_t readSome(char* buffer, std::size_t size) override;
    void waitFor(short events);
    [[noreturn]] void lost(const std::string& why);

    ImapUrl m_url;
    ConnectionOptions m_options;
    void* m_curl = nullptr;
    ResponseReader m_reader;
    unsigned m_nextTag = 1;
};

// A mailbox name as an IMAP quoted string (RFC 3501 section 4.3); throws
// StoreError for names that cannot be quoted (CR, LF, NUL).
std::string quoteMailbox(const std::string& name);

} // namespace brisk::imap
