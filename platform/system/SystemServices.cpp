#include "platform/system/SystemServices.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace brisk {
namespace {

// Starts a program detached from this process (a double fork through a
// short-lived child), so that nothing waits for it and no zombie is left.
// False when it could not be started: the grandchild reports a failed exec
// through a pipe that a successful exec closes (O_CLOEXEC).
bool spawnDetached(const std::string& program, const std::string& argument)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            const char* argv[] = {program.c_str(), argument.c_str(), nullptr};
            execvp(program.c_str(), const_cast<char* const*>(argv));
            const char failed = 1;
            [[maybe_unused]] const ssize_t n = write(fds[1], &failed, 1);
            _exit(127);
        }
        _exit(grandchild > 0 ? 0 : 1);
    }
    close(fds[1]);
    int status = 1;
    if (child > 0)
        waitpid(child, &status, 0);
    char byte = 0;
    ssize_t n = -1;
    if (child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        while ((n = read(fds[0], &byte, 1)) < 0 && errno == EINTR) {
        }
    close(fds[0]);
    return n == 0;
}

} // namespace

double SystemClock::now() { return m_zone.localTime(static_cast<std::int64_t>(std::time(nullptr))); }

void SystemClock::sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void XdgDesktop::openUrl(const std::string& url) { spawnDetached("xdg-open", url); }
bool XdgDesktop::openFile(const std::filesystem::path& file) { return spawnDetached("xdg-open", file.string()); }
bool XdgDesktop::openInTextEditor(const std::filesystem::path& file) { return spawnDetached("xdg-open", file.string()); }

} // namespace brisk
