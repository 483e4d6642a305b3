#include "shell/CliPassword.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <istream>
#include <ostream>

namespace brisk {

std::optional<std::string> netrcPassword(std::istream& in, const std::string& machine, const std::string& login)
{
    std::string token;
    bool inEntry = false, matches = false;
    std::optional<std::string> entryLogin, entryPassword;
    auto close = [&]() -> std::optional<std::string> {
        if (inEntry && matches && entryPassword && (!entryLogin || *entryLogin == login))
            return entryPassword;
        return std::nullopt;
    };
    while (in >> token) {
        if (token == "machine" || token == "default") {
            if (auto found = close())
                return found;
            std::string name;
            if (token == "machine" && !(in >> name))
                break;
            inEntry = true;
            matches = token == "default" || name == machine;
            entryLogin.reset();
            entryPassword.reset();
        } else if (token == "login" || token == "password" || token == "account") {
            std::string value;
            if (!(in >> value))
                break;
            if (token == "login")
                entryLogin = value;
            else if (token == "password")
                entryPassword = value;
        } else if (token == "macdef") {
            // A macro runs up to the next empty line.
            std::string line;
            std::getline(in, line);
            while (std::getline(in, line) && !line.empty()) {
            }
        }
    }
    return close();
}

std::optional<std::string> netrcFilePassword(const std::string& machine, const std::string& login,
                                             std::ostream& err)
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::nullopt;
    const std::string path = std::string(home) + "/.netrc";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    if (st.st_mode & (S_IRWXG | S_IRWXO)) {
        err << "brisk-cli: " << path << " is ignored: others may read it (chmod 600 " << path << ")\n";
        return std::nullopt;
    }
    std::ifstream in(path);
    return netrcPassword(in, machine, login);
}

std::optional<std::string> terminalPassword(const std::string& question)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return std::nullopt;
    termios saved {};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    const std::string prompt = question + " ";
    (void)!::write(tty, prompt.data(), prompt.size());
    std::string line;
    char c = 0;
    bool ended = false;
    while (line.size() < 4096 && ::read(tty, &c, 1) == 1) {
        if (c == '\n') {
            ended = true;
            break;
        }
        line += c;
    }
    if (isTerminal)
        ::tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    if (!ended && line.empty())
        return std::nullopt;
    return line;
}

} // namespace brisk
