#pragma once
// The account a store reads: its address, the password asked once and kept
// in memory only, and the connection, made again after it was lost so that
// a resumed run goes on where it stopped.

#include "dates/TimeZone.h"
#include "platform/imap/ImapConnection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brisk::imap {

struct ImapOptions {
    ConnectionOptions connection;
    // Bytes of messages fetched per round trip (at least one message); one
    // batch is read while the next one is on its way.
    std::size_t batchBytes = 4 << 20;
    // The largest message accepted from the server.
    std::uint64_t maxMessageBytes = 256 << 20;
    // The zone the messages' received times are given in.
    TimeZone zone = TimeZone::utc();
};

struct Examined {
    std::uint64_t uidValidity = 0;
    long exists = 0;
};

class ImapSession {
public:
    ImapSession(ImapUrl url, std::string password, ImapOptions options);
    ~ImapSession();
    ImapSession(const ImapSession&) = delete;
    ImapSession& operator=(const ImapSession&) = delete;

    // Logs in now (the store's opening) and reads the capabilities.
    void connect();
    bool hasCapability(const char* name) const;
    // EXAMINE (read-only, RFC 3501 section 6.3.2) unless `mailbox` is open.
    Examined examine(const std::string& mailbox);
    // Runs one command; a failure other than the server's NO or BAD drops
    // the connection, so that the next call logs in again.
    Response run(const std::string& command, const ResponseLimits& limits,
                 const std::function<void(Response&)>& onData = {});
    // Sends a command whose answer is read later, by drain() or before the
    // next command: the server streams it while the walk works on the last
    // batch. `onDone` is called only when the whole answer was read.
    void sendAhead(const std::string& command, const ResponseLimits& limits,
                   std::function<void(Response&)> onData, std::function<void()> onDone);
    void drain();

    const ImapUrl& url() const { return m_url; }
    const ImapOptions& options() const { return m_options; }

private:
    ImapConnection& connection();

    ImapUrl m_url;
    std::string m_password;
    ImapOptions m_options;
    std::unique_ptr<ImapConnection> m_connection;
    struct Pending {
        std::string tag;
        ResponseLimits limits;
        std::function<void(Response&)> onData;
        std::function<void()> onDone;
    };
    std::optional<Pending> m_pending;
    std::string m_capabilities;
    std::string m_examined;
    Examined m_current;
};

// The item named `name` ("UID", "BODY[]") of a FETCH response's list.
ImapValue* fetchItem(Response& r, const char* name, bool prefix = false);

} // namespace brisk::imap
