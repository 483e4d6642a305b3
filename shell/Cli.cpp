#include "shell/Cli.h"

#include <iostream>

namespace brisk {

int runCli(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return runCli(args, std::cout, std::cerr);
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    (void)out;
    if (args.empty()) {
        err << "usage: brisk-cli [options] STORE\n";
        return 2;
    }
    return 0;
}

} // namespace brisk
