#pragma once
// Servers for the IMAP store's tests, on loopback: a real Dovecot serving a
// copy of a Maildir tree, and a scripted server that answers what Dovecot
// never would (garbage, huge literals, truncated replies).

#include "tests/support/TestSupport.h"

#include <arpa/inet.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace brisk::test {

// A TCP socket on `address`:`port` (0: any free port), bound or connected; its port.
inline std::pair<int, int> tcpSocket(const char* address, int port, bool connect = false)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa {AF_INET, htons(static_cast<std::uint16_t>(port)), {}, {}};
    ::inet_pton(AF_INET, address, &sa.sin_addr);
    socklen_t length = sizeof sa;
    auto* a = reinterpret_cast<sockaddr*>(&sa);
    if ((connect ? ::connect(fd, a, length) : ::bind(fd, a, length)) == 0 && ::getsockname(fd, a, &length) == 0)
        return {fd, ntohs(sa.sin_port)};
    ::close(fd);
    return {-1, 0};
}

class Dovecot {
public:
    static constexpr const char* kBinary = "/usr/sbin/dovecot";
    // Why Dovecot tests cannot run here (not installed, not root), or nullopt.
    static std::optional<std::string> unavailable()
    {
        if (!std::filesystem::exists(kBinary))
            return "dovecot is not installed (scripts/install-deps installs dovecot-imapd)";
        if (::geteuid() != 0)
            return "the Dovecot tests run as root (the mail must belong to uid 65534)";
        return std::nullopt;
    }
    // Serves a copy of `maildir` as user "user", password "secret"; `sent`
    // and `trash` carry RFC 6154 flags. With `tls`, imaps on its own port
    // with a self-signed certificate for 127.0.0.1.
    Dovecot(const std::filesystem::path& maildir, const std::string& sent, const std::string& trash, bool tls = false)
        : m_port(freePort()), m_tlsPort(tls ? freePort() : 0)
    {
        std::filesystem::copy(maildir, m_dir / "mail", std::filesystem::copy_options::recursive);
        for (const char* sub : {"run", "home", "inbox/cur", "inbox/new", "inbox/tmp"})
            std::filesystem::create_directories(m_dir / sub);
        writeFile(m_dir / "passwd", "user:{PLAIN}secret\n");
        if (tls)
            run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext "
                "subjectAltName=IP:127.0.0.1 -keyout " + quoted("key.pem") + " -out " + quoted("cert.pem"));
        writeFile(m_dir / "dovecot.conf", config(sent, trash));
        run("chown -R 65534:65534 " + quoted("mail") + " " + quoted("inbox") + " " + quoted("home"));
        start();
    }
    ~Dovecot()
    {
        try {
            stop();
        } catch (...) {
        }
    }
    void start()
    {
        run(std::string(kBinary) + " -c " + quoted("dovecot.conf"));
        m_running = true;
        waitUntil([&] { return accepts(m_port); }, "dovecot does not accept connections");
    }
    void stop()
    {
        const pid_t pid = m_running ? std::atoi(readFile(m_dir / "run" / "master.pid").c_str()) : 0;
        m_running = false;
        if (pid <= 1)
            return;
        // The whole process group, so that the sessions under way end as well.
        ::kill(-pid, SIGTERM);
        ::kill(pid, SIGTERM);
        waitUntil([&] { return ::kill(pid, 0) != 0 && !accepts(m_port); }, "dovecot does not stop");
    }
    std::string url() const { return "imap://user@127.0.0.1:" + std::to_string(m_port) + "/"; }
    std::string tlsUrl() const { return "imaps://user@127.0.0.1:" + std::to_string(m_tlsPort) + "/"; }
    std::filesystem::path certificate() const { return m_dir / "cert.pem"; }

private:
    static int freePort()
    {
        const auto [fd, port] = tcpSocket("127.0.0.1", 0);
        return ::close(fd), port;
    }
    static bool accepts(int port)
    {
        const int fd = tcpSocket("127.0.0.1", port, true).first;
        return fd >= 0 && ::close(fd) == 0;
    }
    // Waits for the server process to be ready or gone; no result depends on how long it takes.
    template <typename Condition>
    static void waitUntil(Condition done, const char* what)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (; !done(); ::usleep(10000))
            if (std::chrono::steady_clock::now() > until)
                throw std::runtime_error(what);
    }
    void run(const std::string& command) const
    {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
            throw std::runtime_error("failed: " + command + "\n" + readFile(m_dir / "log"));
    }
    std::string quoted(const char* name) const { return shellQuote((m_dir / name).string()); }
    std::string config(const std::string& sent, const std::string& trash) const
    {
        const std::string d = m_dir.path().string();
        return "base_dir = " + d + "/run\nstate_dir = " + d + "/run\nlog_path = " + d + "/log\nprotocols = imap\n"
               "listen = 127.0.0.1\n" + (m_tlsPort ? "ssl = yes\nssl_cert = <" + d + "/cert.pem\nssl_key = <" + d
               + "/key.pem\n" : "ssl = no\n") + "disable_plaintext_auth = no\ndefault_login_user = nobody\n"
               "default_internal_user = nobody\nfirst_valid_uid = 1\n"
               "mail_location = maildir:" + d + "/mail:LAYOUT=fs:INBOX=" + d + "/inbox\n"
               "namespace inbox {\n  inbox = yes\n  separator = /\n  mailbox \"" + sent + "\" {\n"
               "    special_use = \\Sent\n  }\n  mailbox \"" + trash + "\" {\n    special_use = \\Trash\n  }\n}\n"
               "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + d + "/passwd\n}\n"
               "userdb {\n  driver = static\n  args = uid=65534 gid=65534 home=" + d + "/home\n}\n"
               "service imap-login {\n  inet_listener imap {\n    address = 127.0.0.1\n    port = "
               + std::to_string(m_port) + "\n  }\n  inet_listener imaps {\n    address = 127.0.0.1\n    port = "
               + std::to_string(m_tlsPort) + "\n  }\n  chroot =\n}\nservice anvil {\n  chroot =\n}\n";
    }

    TempDir m_dir;
    int m_port = 0, m_tlsPort = 0;
    bool m_running = false;
};

// A make-corpus store of 300 messages, made once per run; nullopt without the tool.
inline std::optional<std::filesystem::path> smallCorpus()
{
    static const TempDir dir; // removed when the test run ends
    static const std::optional<std::filesystem::path> made = [] {
        const auto tool = sourceDir() / ".." / "shared" / "tools" / "make-corpus", store = dir / "store";
        const bool ok = std::filesystem::exists(tool) && std::system((shellQuote(tool.string()) + " --messages 300 "
                        "--seed 16 --out " + shellQuote(store.string()) + " >/dev/null 2>&1").c_str()) == 0;
        return ok ? std::optional(store) : std::nullopt;
    }();
    return made;
}

// One connection at a time; answers each command (after the greeting and
// libcurl's login) with the reply of the longest script key that starts it
// ("LIST", "UID FETCH 1 ("); "{tag}" stands for its tag; a reply ending in
// "<close>" closes the connection after the bytes before it.
class FakeServer {
public:
    using Script = std::map<std::string, std::string>;
    explicit FakeServer(Script script, const char* address = "127.0.0.1") : m_script(std::move(script))
    {
        m_script["CAPABILITY"] = "* CAPABILITY IMAP4rev1\r\n{tag} OK done\r\n";
        m_script["LOGIN"] = m_script["AUTHENTICATE"] = "{tag} OK logged in\r\n";
        std::tie(m_listen, m_port) = tcpSocket(address, 0);
        if (m_listen < 0 || ::listen(m_listen, 4) != 0)
            throw std::runtime_error(std::string("cannot listen on ") + address);
        m_url = "imap://user@" + std::string(address) + ":" + std::to_string(m_port) + "/";
        m_thread = std::thread([this] {
            // Ends when stop() shuts the listening socket down.
            for (int fd; (fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; ::close(fd))
                converse(fd);
        });
    }
    ~FakeServer()
    {
        stop();
        ::close(m_listen);
    }
    const std::string& url() const { return m_url; }
    // Ends the server, once its client is gone; every line it received, in order.
    const std::vector<std::string>& stop()
    {
        ::shutdown(m_listen, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        return m_received;
    }

private:
    // The client closes its connection before the server goes: the store is gone by then.
    void converse(int fd)
    {
        const auto send = [fd](const std::string& bytes) { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); };
        send("* OK fake server ready\r\n");
        std::string pending, reply;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos; pending.erase(0, end + 2)) {
                const std::string line = pending.substr(0, end), tag = line.substr(0, line.find(' '));
                m_received.push_back(line);
                reply = "{tag} BAD unknown command\r\n";
                for (const auto& [prefix, answer] : m_script) // a longer key sorts after its prefixes
                    if (line.substr(std::min(line.size(), tag.size() + 1)).starts_with(prefix))
                        reply = answer;
                for (auto at = reply.find("{tag}"); at != std::string::npos; at = reply.find("{tag}"))
                    reply.replace(at, 5, tag);
                send(reply.ends_with("<close>") ? reply.substr(0, reply.size() - 7) : reply);
                if (reply.ends_with("<close>"))
                    return;
            }
        }
    }

    Script m_script;
    int m_listen = -1, m_port = 0;
    std::string m_url;
    std::vector<std::string> m_received;
    std::thread m_thread;
};

} // namespace brisk::test
