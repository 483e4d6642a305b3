#include "tests/imap/imap_Servers.h"

#include <arpa/inet.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

namespace brisk::test {
namespace {

constexpr const char* kDovecot = "/usr/sbin/dovecot";

// A TCP socket on `address`:`port` (0: any free port), bound or connected.
int tcpSocket(const char* address, int port, bool connect = false)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, address, &sa.sin_addr);
    const auto* a = reinterpret_cast<const sockaddr*>(&sa);
    if ((connect ? ::connect(fd, a, sizeof sa) : ::bind(fd, a, sizeof sa)) != 0) {
        ::close(fd);
        return -1;
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

int freePort()
{
    const int fd = tcpSocket("127.0.0.1", 0);
    const int port = portOf(fd);
    ::close(fd);
    return port;
}

bool accepts(int port)
{
    const int fd = tcpSocket("127.0.0.1", port, true);
    return fd >= 0 && ::close(fd) == 0;
}

// Waits for the server process to be ready or gone; no result depends on how long it takes.
template <typename Condition>
void waitUntil(Condition done, const char* what)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (; !done(); ::usleep(10000))
        if (std::chrono::steady_clock::now() > until)
            throw std::runtime_error(what);
}

void run(const std::string& command, const std::string& failure)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error(failure);
}

std::string config(const std::string& d, int port, int tlsPort, const std::string& sent, const std::string& trash)
{
    return "base_dir = " + d + "/run\nstate_dir = " + d + "/run\nlog_path = " + d + "/log\nprotocols = imap\n"
           "listen = 127.0.0.1\n" + (tlsPort ? "ssl = yes\nssl_cert = <" + d + "/cert.pem\nssl_key = <" + d
           + "/key.pem\n" : "ssl = no\n") + "disable_plaintext_auth = no\ndefault_login_user = nobody\n"
           "default_internal_user = nobody\nfirst_valid_uid = 1\n"
           "mail_location = maildir:" + d + "/mail:LAYOUT=fs:INBOX=" + d + "/inbox\n"
           "namespace inbox {\n  inbox = yes\n  separator = /\n  mailbox \"" + sent + "\" {\n"
           "    special_use = \\Sent\n  }\n  mailbox \"" + trash + "\" {\n    special_use = \\Trash\n  }\n}\n"
           "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + d + "/passwd\n}\n"
           "userdb {\n  driver = static\n  args = uid=65534 gid=65534 home=" + d + "/home\n}\n"
           "service imap-login {\n  inet_listener imap {\n    address = 127.0.0.1\n    port = "
           + std::to_string(port) + "\n  }\n  inet_listener imaps {\n    address = 127.0.0.1\n    port = "
           + std::to_string(tlsPort) + "\n  }\n  chroot =\n}\nservice anvil {\n  chroot =\n}\n";
}

} // namespace

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
    fs::copy(maildir, m_dir / "mail", fs::copy_options::recursive);
    for (const char* sub : {"run", "home", "inbox/cur", "inbox/new", "inbox/tmp"})
        fs::create_directories(m_dir / sub);
    writeFile(m_dir / "passwd", "user:{PLAIN}secret\n");
    const std::string d = m_dir.path().string();
    m_port = freePort();
    if (tls) {
        m_tlsPort = freePort();
        run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1"
            " -keyout " + shellQuote(d + "/key.pem") + " -out " + shellQuote(d + "/cert.pem") + " >/dev/null 2>&1",
            "openssl could not make a test certificate");
    }
    writeFile(m_dir / "dovecot.conf", config(d, m_port, m_tlsPort, sent, trash));
    run("chown -R 65534:65534 " + shellQuote(d + "/mail") + " " + shellQuote(d + "/inbox") + " "
        + shellQuote(d + "/home"), "cannot hand the test mail to uid 65534");
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
    if (std::system((std::string(kDovecot) + " -c " + shellQuote((m_dir / "dovecot.conf").string())).c_str()) != 0)
        throw std::runtime_error("dovecot did not start: " + readFile(m_dir / "log"));
    m_running = true;
    waitUntil([&] { return accepts(m_port); }, "dovecot does not accept connections");
}

void Dovecot::stop()
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

std::optional<fs::path> smallCorpus()
{
    static const TempDir dir; // removed when the test run ends
    static const std::optional<fs::path> made = []() -> std::optional<fs::path> {
        const fs::path tool = sourceDir() / ".." / "shared" / "tools" / "make-corpus", store = dir / "store";
        if (!fs::exists(tool) || std::system((shellQuote(tool.string()) + " --messages 300 --seed 16 --out "
                                              + shellQuote(store.string()) + " >/dev/null 2>&1").c_str()) != 0)
            return std::nullopt;
        return store;
    }();
    return made;
}

FakeServer::FakeServer(Script script, const char* address) : m_script(std::move(script)), m_address(address)
{
    m_script["CAPABILITY"] = "* CAPABILITY IMAP4rev1\r\n{tag} OK done\r\n";
    m_script["LOGIN"] = m_script["AUTHENTICATE"] = "{tag} OK logged in\r\n";
    m_listen = tcpSocket(address, 0);
    if (m_listen < 0)
        throw std::runtime_error(std::string("cannot bind a test port on ") + address);
    m_port = portOf(m_listen);
    ::listen(m_listen, 4);
    m_thread = std::thread([this] {
        for (pollfd p {m_listen, POLLIN, 0}; !m_stop;) {
            const int fd = ::poll(&p, 1, 50) > 0 ? ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (fd >= 0)
                converse(fd), ::close(fd);
        }
    });
}

FakeServer::~FakeServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

std::vector<std::string> FakeServer::received()
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

void FakeServer::converse(int fd)
{
    auto sendAll = [fd](std::string_view bytes) {
        for (ssize_t n = 0; !bytes.empty(); bytes.remove_prefix(static_cast<std::size_t>(n)))
            if ((n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)) <= 0)
                return;
    };
    sendAll("* OK fake server ready\r\n");
    std::string pending;
    char buffer[4096];
    for (pollfd p {fd, POLLIN, 0}; !m_stop;) {
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (auto end = pending.find("\r\n"); end != std::string::npos; end = pending.find("\r\n")) {
            const std::string line = pending.substr(0, end), tag = line.substr(0, line.find(' '));
            const std::string command = line.substr(std::min(line.size(), tag.size() + 1));
            pending.erase(0, end + 2);
            {
                std::lock_guard lock(m_mutex);
                m_received.push_back(line);
            }
            std::string reply = "{tag} BAD unknown command\r\n";
            for (std::size_t matched = 0; const auto& [prefix, answer] : m_script)
                if (command.starts_with(prefix) && prefix.size() >= matched)
                    reply = answer, matched = prefix.size();
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
