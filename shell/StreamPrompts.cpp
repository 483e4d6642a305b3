#include "shell/StreamPrompts.h"

#include "shell/CliPassword.h"
#include "shell/TerminalText.h"

#include <cstdlib>
#include <iostream>

namespace brisk {

StreamPrompts::StreamPrompts(std::ostream& err) : m_err(err) {}

StreamPrompts::StreamPrompts() : m_err(std::cerr) {}

void StreamPrompts::message(const std::string& text, const std::string& title)
{
    m_err << terminalSafe(text) << '\n';
    texts.push_back(text);
    if (title == kProgramTitle)
        ++errors;
}

void StreamPrompts::failure(const std::string& text, const std::string& cause)
{
    m_err << terminalSafe(cause.empty() ? text : text + ": " + cause) << '\n';
    texts.push_back(text);
    ++errors;
}

bool StreamPrompts::askYesNo(const std::string& text, const std::string&)
{
    m_err << text << " (answered No)\n";
    texts.push_back(text);
    return false;
}

std::optional<std::string> StreamPrompts::askPassword(const std::string& text, const std::string&)
{
    if (!askForPasswords)
        return std::nullopt;
    if (const char* fromEnvironment = std::getenv("BRISK_IMAP_PASSWORD"))
        return std::string(fromEnvironment);
    if (auto fromNetrc = netrcFilePassword(passwordMachine, passwordLogin, m_err))
        return fromNetrc;
    return terminalPassword(text);
}

} // namespace brisk
