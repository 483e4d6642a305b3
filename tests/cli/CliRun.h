#pragma once
// brisk-cli run in process with its output captured, for the CLI tests; its
// --json output read with nlohmann-json.

#include "shell/Cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace brisk::test {

struct CliRun {
    int status = -1;
    std::string out, err;
    // The output as JSON; a test failure and null when it is none.
    nlohmann::json json() const
    {
        const auto parsed = nlohmann::json::parse(out, nullptr, false);
        EXPECT_FALSE(parsed.is_discarded()) << "not JSON: " << out << err;
        return parsed;
    }
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

// A run's exit status and a text that each of its streams holds ("" for an
// empty stream).
struct CliCase {
    std::vector<std::string> args;
    int status;
    std::string out, err;
};

inline void expectCliRun(const CliCase& c)
{
    const CliRun run = runCliCaptured(c.args);
    const std::string args = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, c.status) << args << "\n" << run.err;
    for (const auto& [got, want] : {std::pair(&run.out, &c.out), std::pair(&run.err, &c.err)}) {
        if (want->empty())
            EXPECT_EQ(*got, "") << args;
        else
            EXPECT_NE(got->find(*want), std::string::npos) << args << ": no " << *want << " in\n" << *got;
    }
}

} // namespace brisk::test
