#pragma once
// brisk-cli run in process with its output captured, for the CLI tests.

#include "shell/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace brisk::test {

struct CliRun {
    int status = -1;
    std::string out, err;
};

inline CliRun runCliCaptured(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    CliRun run;
    run.status = brisk::runCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

} // namespace brisk::test
