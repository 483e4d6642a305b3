#pragma once
// Servers for the IMAP store's tests, on loopback: a real Dovecot serving a
// copy of a Maildir tree, and a scripted server that answers what Dovecot
// never would (garbage, huge literals, truncated replies).

#include "tests/support/TestSupport.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brisk::test {

class Dovecot {
public:
    // Why Dovecot tests cannot run here (not installed, not root), or nullopt.
    static std::optional<std::string> unavailable();
    // Serves a copy of `maildir` as user "user", password "secret"; `sent`
    // and `trash` carry RFC 6154 flags. With `tls`, imaps on its own port
    // with a self-signed certificate for 127.0.0.1.
    Dovecot(const std::filesystem::path& maildir, const std::string& sent, const std::string& trash,
            bool tls = false);
    ~Dovecot();
    void start();
    void stop();
    std::string url() const { return "imap://user@127.0.0.1:" + std::to_string(m_port) + "/"; }
    std::string tlsUrl() const { return "imaps://user@127.0.0.1:" + std::to_string(m_tlsPort) + "/"; }
    std::filesystem::path certificate() const { return m_dir / "cert.pem"; }

private:
    TempDir m_dir;
    int m_port = 0, m_tlsPort = 0;
    bool m_running = false;
};

// A make-corpus store of 300 messages, made once per run; nullopt without the tool.
std::optional<std::filesystem::path> smallCorpus();

// Answers each command (after the greeting and libcurl's login) with the
// reply of the longest script key that starts it ("LIST", "UID FETCH 1 (");
// "{tag}" stands for its tag; a reply ending in "<close>" closes the
// connection after the bytes before it.
class FakeServer {
public:
    using Script = std::map<std::string, std::string>;
    explicit FakeServer(Script script, const char* address = "127.0.0.1");
    ~FakeServer();
    std::string url() const { return "imap://user@" + m_address + ":" + std::to_string(m_port) + "/"; }
    // Every line the server received, in order.
    std::vector<std::string> received();

private:
    void converse(int fd);

    Script m_script;
    std::string m_address;
    int m_listen = -1, m_port = 0;
    std::atomic<bool> m_stop {false};
    std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::thread m_thread;
};

} // namespace brisk::test
