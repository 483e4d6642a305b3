#include "platform/system/ParseProcess.h"

#include "platform/mailstore/MessageItem.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <unistd.h>

#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>

extern char** environ;

namespace brisk {
namespace {

// A frame never holds more: a request is a recipe, a reply the header values
// of one message, whose header block the store reads only up to 4 MiB.
constexpr std::uint32_t kMaxFrame = 256U << 20;
// Replies held back at most, so that a long run of requests still answers.
constexpr std::size_t kFlushBytes = 64 * 1024;

bool sendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a peer that is gone is an error here, not a SIGPIPE.
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Appends a frame to `out`, to be sent with others in one call: every
// wake of the other side costs more than the bytes.
bool appendFrame(std::string& out, std::string_view bytes)
{
    if (bytes.size() > kMaxFrame)
        return false;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(bytes.size() >> (8 * i)));
    out.append(bytes);
    return true;
}

// Frames read from a socket through a buffer, as many per call as are there.
class FrameReader {
public:
    explicit FrameReader(int fd) : m_fd(fd) {}

    // The next frame; nullopt at the end of the line or on a frame over
    // the limit.
    std::optional<std::string> next()
    {
        while (!complete()) {
            if (m_tooLong)
                return std::nullopt;
            if (m_start > 0) {
                std::memmove(m_buffer.data(), m_buffer.data() + m_start, m_end - m_start);
                m_end -= m_start;
                m_start = 0;
            }
            // Grown only when short of room: a read never pays for zeroing.
            if (m_buffer.size() - m_end < kChunk)
                m_buffer.resize(m_end + kChunk);
            const ssize_t n = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return std::nullopt;
            m_end += static_cast<std::size_t>(n);
        }
        std::string frame(m_buffer.data() + m_start + 4, m_size);
        m_start += 4 + m_size;
        return frame;
    }

    // True when a whole frame is waiting in the buffer.
    bool complete()
    {
        if (m_end - m_start < 4)
            return false;
        const auto* length = reinterpret_cast<const unsigned char*>(m_buffer.data() + m_start);
        m_size = length[0] | length[1] << 8 | length[2] << 16 | std::uint32_t(length[3]) << 24;
        m_tooLong = m_size > kMaxFrame;
        return !m_tooLong && m_end - m_start - 4 >= m_size;
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;
    int m_fd;
    std::string m_buffer;
    std::size_t m_start = 0; // the first byte not yet handed out
    std::size_t m_end = 0;   // the end of the bytes read
    std::uint32_t m_size = 0;
    bool m_tooLong = false;
};

class ProcessChannel final : public ParseChannel {
public:
    ProcessChannel(pid_t pid, int socket) : m_pid(pid), m_socket(socket), m_reader(socket) {}
    ~ProcessChannel() override { stop(); }
    ProcessChannel(const ProcessChannel&) = delete;
    ProcessChannel& operator=(const ProcessChannel&) = delete;

    // Requests wait here until a reply is awaited, and go in one call.
    bool send(std::string_view request) override { return m_socket >= 0 && appendFrame(m_out, request); }

    std::optional<std::string> receive() override
    {
        if (m_socket < 0 || (!m_out.empty() && !sendAll(m_socket, m_out)))
            return std::nullopt;
        m_out.clear();
        return m_reader.next();
    }

    std::string whyGone() override
    {
        stop();
        if (WIFSIGNALED(m_status))
            return std::string("it was ended by signal ") + std::to_string(WTERMSIG(m_status)) + " ("
                   + strsignal(WTERMSIG(m_status)) + ")";
        if (WIFEXITED(m_status))
            return "it exited with status " + std::to_string(WEXITSTATUS(m_status));
        return "it could not be waited for";
    }

private:
    // Closes the line and reaps the process. One that still runs (it sent
    // something that is no frame, or is being dropped) is killed: it holds
    // nothing that needs saving.
    void stop()
    {
        if (m_socket >= 0) {
            ::close(m_socket);
            m_socket = -1;
        }
        if (m_pid <= 0)
            return;
        pid_t done = 0;
        while ((done = ::waitpid(m_pid, &m_status, WNOHANG)) < 0 && errno == EINTR) {
        }
        if (done == 0) {
            ::kill(m_pid, SIGKILL);
            while (::waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
            }
        }
        m_pid = -1;
    }

    pid_t m_pid;
    int m_socket;
    FrameReader m_reader;
    std::string m_out;
    int m_status = 0;
};

std::unique_ptr<ParseChannel> start(const std::filesystem::path& program)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[1], 0);
    posix_spawn_file_actions_adddup2(&files, ends[1], 1);
    // Nothing else of this process (stores, workbooks, logs) reaches it.
    posix_spawn_file_actions_addclosefrom_np(&files, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const std::string path = program.string();
    char serve[] = "--serve";
    char* argv[] = {const_cast<char*>(path.c_str()), serve, nullptr};
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, path.c_str(), &files, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    ::close(ends[1]);
    if (failed != 0) {
        ::close(ends[0]);
        return nullptr;
    }
    return std::make_unique<ProcessChannel>(pid, ends[0]);
}

} // namespace

std::filesystem::path parserBesideThisProgram()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    // Beside the program in the build tree, under libexec once installed.
    for (const std::filesystem::path& dir : {self.parent_path(), self.parent_path() / BRISK_PARSER_FROM_BINDIR}) {
        const std::filesystem::path parser = dir / "brisk-parse";
        if (::access(parser.c_str(), X_OK) == 0)
            return parser.lexically_normal();
    }
    return {};
}

ParseChannelFactory parseProcesses(std::filesystem::path program)
{
    if (program.empty())
        return nullptr;
    return [program = std::move(program)] { return start(program); };
}

std::string answerParseRequest(std::string_view bytes)
{
    const ParseRequest request = decodeRequest(bytes);
    std::optional<TimeZone> zone = TimeZone::named(request.zone);
    if (!zone)
        throw StoreError("unknown time zone " + request.zone);
    const DateLocale locale{request.order, std::move(*zone)};
    return encodeReply(mailstore::MessageItem::fromRecipe(request.recipe), locale);
}

int serveParseRequests(int in, int out)
{
    FrameReader requests(in);
    std::string replies;
    while (std::optional<std::string> frame = requests.next()) {
        try {
            if (!appendFrame(replies, answerParseRequest(*frame)))
                return 1;
        } catch (const std::exception& e) {
            std::cerr << "brisk-parse: " << e.what() << '\n';
            return 1;
        }
        // The replies go before this process would wait for a request, or
        // once a few are ready: the walk may be waiting for the first.
        int waiting = 0;
        if (replies.size() >= kFlushBytes
            || (!requests.complete() && (::ioctl(in, FIONREAD, &waiting) != 0 || waiting == 0))) {
            if (!sendAll(out, replies))
                return 1;
            replies.clear();
        }
    }
    return 0;
}

} // namespace brisk
