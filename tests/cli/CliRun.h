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
    const int status = brisk::runCli(args, out, err);
    return {status, out.str(), err.str()};
}

// A run's exit status, texts its output holds (none: it is empty) and a
// text its standard error holds ("": it is empty).
struct CliCase {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> out;
    std::string err;
};

inline void expectCliRun(const CliCase& c)
{
    const CliRun run = runCliCaptured(c.args);
    const std::string args = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, c.status) << args << "\n" << run.err;
    EXPECT_EQ(run.out.empty(), c.out.empty()) << args << "\n" << run.out;
    EXPECT_EQ(run.err.empty(), c.err.empty()) << args << "\n" << run.err;
    for (const std::string& text : c.out)
        EXPECT_NE(run.out.find(text), std::string::npos) << args << ": no " << text << " in\n" << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << args << ": no " << c.err << " in\n" << run.err;
}

} // namespace brisk::test
