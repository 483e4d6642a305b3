#pragma once
// brisk-cli: the headless front end. Parses its arguments, opens the store and
// does the one job asked for; returns the process's exit status.

#include <iosfwd>
#include <string>
#include <vector>

namespace brisk {

// Exit statuses: 0 when every item and folder was read and the output
// written; 1 when the run completed but items or folders could not be read
// or the output could not be written (with a count on standard error); 2 for
// bad arguments or a store that cannot be opened.
int runCli(int argc, char** argv);
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace brisk
