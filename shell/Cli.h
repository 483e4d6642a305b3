#pragma once
// brisk-cli: the headless front end. Parses its arguments, opens the store and
// does the one job asked for; returns the process's exit status.

#include <iosfwd>
#include <string>
#include <vector>

namespace brisk {

// Exit statuses: 0 done, 2 bad arguments or an unreadable store.
int runCli(int argc, char** argv);
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace brisk
