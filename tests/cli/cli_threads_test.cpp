// brisk-cli --json on tests/corpora/threads: replies written with
// Thunderbird, Gmail, Apple Mail, mutt and Outlook, in five languages, some
// with their originals in the Inbox and its subfolder, some without.

#include "shell/Cli.h"
#include "tests/cli/cli_Json.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using brisk::test::Json;
using brisk::test::JsonReader;

TEST(CliThreads, RepliesOfEveryClientGetTheirResponseTimes)
{
    const auto store = brisk::test::sourceDir() / "tests" / "corpora" / "threads";
    std::ostringstream out, err;
    ASSERT_EQ(brisk::runCli({"--json", "--folder", "Sent", store.string()}, out, err), 0) << err.str();
    const Json result = JsonReader::parse(out.str());
    EXPECT_EQ(result["lEmailsAnalysed"].integer(), 11);
    // Ten replies: nine timed (90, 60, 240, 30, 120, 60, 15, 180 and 40
    // minutes; see the corpus' README); the one whose original arrived after
    // it is not.
    EXPECT_EQ(result["lResponseCount"].integer(), 9);
    EXPECT_EQ(result["responseSources"]["sentLine"].integer(), 1);
    EXPECT_EQ(result["responseSources"]["threading"].integer(), 4);
    EXPECT_EQ(result["responseSources"]["attribution"].integer(), 4);
    EXPECT_EQ(result["panel"]["MedianResponseHrLabel"].text(), "1");
    EXPECT_EQ(result["panel"]["MedianResponseMinLabel"].text(), "0");
    // Own words only: every quote, whichever way it starts, is left out.
    EXPECT_EQ(result["lTotalWords"].integer(), 36);
    EXPECT_TRUE(result["errors"].array().empty());
}

} // namespace
