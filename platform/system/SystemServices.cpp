#include "platform/system/SystemServices.h"

#include "platform/dates/DateValue.h"

#include <chrono>
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
void spawnDetached(const std::string& program, const std::string& argument)
{
    const pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            setsid();
            const char* argv[] = {program.c_str(), argument.c_str(), nullptr};
            execvp(program.c_str(), const_cast<char* const*>(argv));
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0)
        waitpid(child, nullptr, 0);
}

} // namespace

double SystemClock::now() { return localNow(); }

void SystemClock::sleepFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void XdgDesktop::openUrl(const std::string& url) { spawnDetached("xdg-open", url); }
void XdgDesktop::openFile(const std::filesystem::path& file) { spawnDetached("xdg-open", file.string()); }
void XdgDesktop::openInTextEditor(const std::filesystem::path& file) { spawnDetached("xdg-open", file.string()); }

void StreamPrompts::message(const std::string& text, const std::string& title)
{
    std::cerr << title << ": " << text << '\n';
}

bool StreamPrompts::askYesNo(const std::string& text, const std::string& title)
{
    std::cerr << title << ": " << text << " [answered No]\n";
    return false;
}

} // namespace brisk
