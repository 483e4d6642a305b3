#pragma once
// The analysis run of brisk-cli: a whole run through the headless window,
// then the panel's figures, the top lists and the distributions as text or
// as one JSON object.

#include "engine/Session.h"
#include "shell/HeadlessWindow.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace brisk {

// Prompts of the command line: every message goes to standard error and is
// kept in order for the JSON output; questions are answered No. An error
// line names its cause after the message; errors are counted for the exit
// status.
class CliPrompts : public Prompts {
public:
    explicit CliPrompts(std::ostream& err) : m_err(err) {}
    void message(const std::string& text, const std::string& title) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    // BRISK_IMAP_PASSWORD, else ~/.netrc for passwordMachine and
    // passwordLogin, else a question on the terminal without echo.
    std::optional<std::string> askPassword(const std::string& text, const std::string& title) override;
    void failure(const std::string& text, const std::string& cause) override;
    std::vector<std::string> texts;
    std::string passwordMachine, passwordLogin;
    int errors = 0;

private:
    std::ostream& m_err;
};

void printTextResults(const AppState& app, const HeadlessWindow& window, std::ostream& out);
void printJsonResults(const AppState& app, const HeadlessWindow& window, const std::vector<std::string>& errors,
                      std::ostream& out);
std::string jsonString(std::string_view text);

} // namespace brisk
