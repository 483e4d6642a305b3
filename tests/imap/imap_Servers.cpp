#include "tests/imap/imap_Servers.h"

#include "platform/imap/ImapConnection.h"
#include "platform/imap/ImapSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace brisk::test {
namespace {

constexpr const char* kDovecot = "/usr/sbin/dovecot";

sockaddr_in inetAddress(const char* address, int port)
{
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address, &sa.sin_addr);
    return sa;
}

int boundSocket(const char* address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in sa = inetAddress(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        throw std::runtime_error(std::string("cannot bind a test port on ") + address);
    }
    return fd;
}

int portOf(int fd)
{
    sockaddr_in sa {};
    socklen_t length = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
    return ntohs(sa.sin_port);
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in sa = inetAddress("127.0.0.1", port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
    ::close(fd);
    return ok;
}

// Waiting for a server process to be ready or gone; the results of the
// tests never depend on how long it takes.
template <typename Condition>
void waitUntil(Condition done, const char* what)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            throw std::runtime_error(what);
        ::usleep(10000);
    }
}

// Half of the messages lose their \Seen flag, so that a read that sets it
// shows on the server.
void markHalfUnseen(const fs::path& root)
{
    int n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().parent_path().filename() == "cur" && name.ends_with(":2,S") && n++ % 2 == 0)
            fs::rename(entry.path(), entry.path().parent_path() / name.substr(0, name.size() - 1));
    }
}

std::string config(const fs::path& dir, int port, int tlsPort, const std::string& sent, const std::string& trash)
{
    const std::string d = dir.string();
    const std::string ssl = tlsPort ? "ssl = yes\nssl_cert = <" + d + "/cert.pem\nssl_key = <" + d + "/key.pem\n"
                                    : "ssl = no\n";
    return "base_dir = " + d + "/run\nstate_dir = " + d + "/run\nlog_path = " + d + "/log\n"
           "protocols = imap\nlisten = 127.0.0.1\n" + ssl + "disable_plaintext_auth = no\n"
           "default_login_user = nobody\ndefault_internal_user = nobody\nfirst_valid_uid = 1\n"
           "mail_location = maildir:" + d + "/mail:LAYOUT=fs:INBOX=" + d + "/inbox\n"
           "namespace inbox {\n  inbox = yes\n  separator = /\n"
           "  mailbox \"" + sent + "\" {\n    special_use = \\Sent\n  }\n"
           "  mailbox \"" + trash + "\" {\n    special_use = \\Trash\n  }\n}\n"
           "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + d + "/passwd\n}\n"
           "userdb {\n  driver = static\n  args = uid=65534 gid=65534 home=" + d + "/home\n}\n"
           "service imap-login {\n  inet_listener imap {\n    address = 127.0.0.1\n    port = "
           + std::to_string(port) + "\n  }\n  inet_listener imaps {\n    address = 127.0.0.1\n    port = "
           + std::to_string(tlsPort) + "\n  }\n  chroot =\n}\n"
           "service anvil {\n  chroot =\n}\n";
}

} // namespace

int freePort(const char* address)
{
    const int fd = boundSocket(address, 0);
    const int port = portOf(fd);
    ::close(fd);
    return port;
}

std::optional<std::string> Dovecot::unavailable()
{
    if (!fs::exists(kDovecot))
        return "dovecot is not installed (scripts/install-deps installs dovecot-imapd)";
    if (::geteuid() != 0)
        return "the Dovecot tests run as root (the mail must belong to uid 65534)";
    return std::nullopt;
}

Dovecot::Dovecot(const fs::path& maildir, const std::string& sent, const std::string& trash, bool tls)
{
    m_mail = m_dir / "mail";
    fs::copy(maildir, m_mail, fs::copy_options::recursive);
    markHalfUnseen(m_mail);
    for (const char* sub : {"run", "home", "inbox/cur", "inbox/new", "inbox/tmp"})
        fs::create_directories(m_dir / sub);
    writeFile(m_dir / "passwd", "user:{PLAIN}secret\n");
    m_port = freePort("127.0.0.1");
    if (tls) {
        m_tlsPort = freePort("127.0.0.1");
        const std::string openssl = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                                    "-addext subjectAltName=IP:127.0.0.1 -keyout "
                                    + shellQuote((m_dir / "key.pem").string()) + " -out "
                                    + shellQuote((m_dir / "cert.pem").string()) + " >/dev/null 2>&1";
        if (std::system(openssl.c_str()) != 0)
            throw std::runtime_error("openssl could not make a test certificate");
    }
    writeFile(m_dir / "dovecot.conf", config(m_dir.path(), m_port, m_tlsPort, sent, trash));
    const std::string chown = "chown -R 65534:65534 " + shellQuote((m_dir / "mail").string()) + " "
                              + shellQuote((m_dir / "inbox").string()) + " " + shellQuote((m_dir / "home").string());
    if (std::system(chown.c_str()) != 0)
        throw std::runtime_error("cannot hand the test mail to uid 65534");
    start();
}

Dovecot::~Dovecot()
{
    try {
        stop();
    } catch (...) {
    }
}

void Dovecot::start()
{
    const std::string command = std::string(kDovecot) + " -c " + shellQuote((m_dir / "dovecot.conf").string());
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("dovecot did not start: " + readFile(m_dir / "log"));
    m_running = true;
    waitUntil([&] { return accepts(m_port); }, "dovecot does not accept connections");
}

void Dovecot::stop()
{
    if (!m_running)
        return;
    m_running = false;
    const pid_t pid = std::atoi(readFile(m_dir / "run" / "master.pid").c_str());
    if (pid <= 1)
        return;
    ::kill(pid, SIGTERM);
    waitUntil([&] { return ::kill(pid, 0) != 0 && !accepts(m_port); }, "dovecot does not stop");
}

std::vector<std::string> serverFlags(const std::string& url, const std::string& mailbox)
{
    imap::ImapConnection connection(imap::parseImapUrl(url), "secret", {});
    connection.run("EXAMINE " + imap::quoteMailbox(mailbox), {});
    std::vector<std::string> out;
    connection.run("UID FETCH 1:* (UID FLAGS)", {}, [&](imap::Response& r) {
        const imap::ImapValue* uid = imap::fetchItem(r, "UID");
        const imap::ImapValue* flags = imap::fetchItem(r, "FLAGS");
        if (!uid || !flags)
            return;
        std::string line = uid->str();
        for (const auto& flag : flags->items)
            line += " " + flag.str();
        out.push_back(line);
    });
    return out;
}

std::optional<fs::path> smallCorpus()
{
    static std::optional<fs::path> made;
    static TempDir* dir = nullptr;
    const fs::path tool = sourceDir() / ".." / "shared" / "tools" / "make-corpus";
    if (!made && !dir && fs::exists(tool)) {
        dir = new TempDir; // lives for the test run
        const std::string command = shellQuote(tool.string()) + " --messages 300 --seed 16 --out "
                                    + shellQuote((dir->path() / "store").string()) + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0)
            made = dir->path() / "store";
    }
    return made;
}

FakeServer::FakeServer(Script script, const char* address, std::string capabilities)
    : m_script(std::move(script)), m_address(address), m_capabilities(std::move(capabilities))
{
    m_listen = boundSocket(address, 0);
    m_port = portOf(m_listen);
    ::listen(m_listen, 4);
    m_thread = std::thread([this] { serve(); });
}

FakeServer::~FakeServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

std::string FakeServer::url() const
{
    return "imap://user@" + m_address + ":" + std::to_string(m_port) + "/";
}

std::vector<std::string> FakeServer::received()
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

void FakeServer::serve()
{
    while (!m_stop) {
        pollfd p {m_listen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            converse(fd);
            ::close(fd);
        }
    }
}

void FakeServer::converse(int fd)
{
    auto sendAll = [fd](const std::string& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    };
    sendAll("* OK fake server ready\r\n");
    std::string pending;
    char buffer[4096];
    while (!m_stop) {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (auto end = pending.find("\r\n"); end != std::string::npos; end = pending.find("\r\n")) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            {
                std::lock_guard lock(m_mutex);
                m_received.push_back(line);
            }
            const std::string tag = line.substr(0, line.find(' '));
            const std::string command = line.substr(std::min(line.size(), tag.size() + 1));
            std::string reply = "{tag} BAD unknown command\r\n";
            std::size_t matched = 0;
            for (const auto& [prefix, answer] : m_script) {
                if (command.starts_with(prefix) && prefix.size() >= matched)
                    reply = answer, matched = prefix.size();
            }
            if (command.starts_with("CAPABILITY"))
                reply = "* CAPABILITY " + m_capabilities + "\r\n{tag} OK done\r\n";
            else if (command.starts_with("LOGIN") || command.starts_with("AUTHENTICATE"))
                reply = "{tag} OK logged in\r\n";
            for (auto at = reply.find("{tag}"); at != std::string::npos; at = reply.find("{tag}"))
                reply.replace(at, 5, tag);
            const bool close = reply.ends_with("<close>");
            sendAll(close ? reply.substr(0, reply.size() - 7) : reply);
            if (close)
                return;
        }
    }
}

} // namespace brisk::test
