#pragma once
// Where brisk-cli finds the password of an IMAP account, in this order: the
// BRISK_IMAP_PASSWORD environment variable, the user's ~/.netrc, a question
// on the terminal with echo off. The password is never written anywhere.

#include <iosfwd>
#include <optional>
#include <string>

namespace brisk {

// The password of `login` on `machine` in .netrc text (the format of ftp(1):
// "machine", "default", "login", "password", "account" and "macdef"
// tokens); an entry without a login matches any.
std::optional<std::string> netrcPassword(std::istream& in, const std::string& machine, const std::string& login);

// ~/.netrc, ignored (with a note on `err`) when others may read it.
std::optional<std::string> netrcFilePassword(const std::string& machine, const std::string& login,
                                             std::ostream& err);

// Shows `question` on the controlling terminal and reads one line with echo
// off; nullopt without a terminal.
std::optional<std::string> terminalPassword(const std::string& question);

} // namespace brisk
