#pragma once
// The prompts of a program without a window (brisk-cli, its usage report, the
// benchmarks): every message goes to an error stream, defused for the
// terminal, and is kept in order for the JSON output; questions are answered
// No. An error names its cause after the message. Errors are counted for the
// exit status.

#include "engine/Services.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace brisk {

class StreamPrompts : public Prompts {
public:
    explicit StreamPrompts(std::ostream& err);
    StreamPrompts();
    void message(const std::string& text, const std::string& title) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    // With `askForPasswords`: BRISK_IMAP_PASSWORD, else ~/.netrc for
    // passwordMachine and passwordLogin, else a question on the terminal
    // without echo. Without it, no password.
    std::optional<std::string> askPassword(const std::string& text, const std::string& title) override;
    void failure(const std::string& text, const std::string& cause) override;

    bool askForPasswords = false;
    std::string passwordMachine, passwordLogin;
    std::vector<std::string> texts;
    int errors = 0;

private:
    std::ostream& m_err;
};

} // namespace brisk
