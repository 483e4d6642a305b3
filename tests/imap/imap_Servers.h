#pragma once
// Servers for the IMAP store's tests, on loopback: a real Dovecot serving a
// copy of a Maildir tree with its own configuration in a temporary folder,
// and a tiny scripted server that answers what Dovecot never would
// (garbage, huge literals, truncated replies).

#include "tests/support/TestSupport.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brisk::test {

// A free TCP port on `address` (bound, read and released).
int freePort(const char* address);

class Dovecot {
public:
    // Why Dovecot tests cannot run here (not installed, not root), or nullopt.
    static std::optional<std::string> unavailable();

    // Serves a copy of `maildir` as user "user", password "secret"; the
    // mailboxes named in `sent` and `trash` carry RFC 6154 flags.
    Dovecot(const std::filesystem::path& maildir, const std::string& sent, const std::string& trash,
            bool tls = false);
    ~Dovecot();
    void start();
    void stop();
    std::string url() const { return "imap://user@127.0.0.1:" + std::to_string(m_port) + "/"; }
    const std::filesystem::path& mailRoot() const { return m_mail; }
    // With TLS: imaps on its own port, a self-signed certificate for 127.0.0.1.
    std::string tlsUrl() const { return "imaps://user@127.0.0.1:" + std::to_string(m_tlsPort) + "/"; }
    std::filesystem::path certificate() const { return m_dir / "cert.pem"; }

private:
    TempDir m_dir;
    std::filesystem::path m_mail;
    int m_port = 0;
    int m_tlsPort = 0;
    bool m_running = false;
};

// One folder's messages as "UID FLAGS" lines, read with EXAMINE.
std::vector<std::string> serverFlags(const std::string& url, const std::string& mailbox);

// A make-corpus store of 300 messages, made once per test run; nullopt when
// the tool is absent.
std::optional<std::filesystem::path> smallCorpus();

// Answers each command line (after the greeting and the login that libcurl
// makes) with the script's reply for the longest key that starts the
// command ("LIST", "UID FETCH 1 (UID BODY"); "{tag}" stands for its tag. A reply ending in
// "<close>" closes the connection after the bytes before it.
class FakeServer {
public:
    using Script = std::map<std::string, std::string>;
    FakeServer(Script script, const char* address = "127.0.0.1", std::string capabilities = "IMAP4rev1");
    ~FakeServer();
    std::string url() const;
    // Every line the server received, in order.
    std::vector<std::string> received();

private:
    void serve();
    void converse(int fd);

    Script m_script;
    std::string m_address;
    std::string m_capabilities;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop {false};
    std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::thread m_thread;
};

} // namespace brisk::test
