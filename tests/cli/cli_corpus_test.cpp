// brisk-cli against an independent reading: for the Enron custodians of the
// shared corpora, the figures of `brisk-cli --json --folder F` must equal
// those of scripts/python-figures, which reads the same Maildir folder with
// Python's email package and shares no code with the program.

#include <nlohmann/json.hpp>
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const char* const kUsers[] = {"allen-p", "buy-r", "grigsby-m", "presto-k"};

// Figures both readings compute the same way. Words and characters are in
// the list because every body of these folders is text/plain; the script's
// HTML reduction is not the program's (see the script's notes).
const char* const kExactKeys[] = {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lTotalSizeKB",
                                  "lTotalSizeWithAttKB", "lTotalSizeWoAttKB", "lTotalWords", "lTotalChars",
                                  "dFirstEmailDate", "dLastEmailDate", "vHourCount", "vWeekdayCount",
                                  "vMonthCount"};

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command and returns its standard output; fails the test when
// it does not exit with 0. Standard error is left to the test's log.
std::string outputOf(const std::string& command)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    const int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << " ended with status " << status;
    return out;
}

json brisk(const fs::path& store, const std::string& folder)
{
    const fs::path cli = brisk::test::buildDir() / "app" / "brisk-cli";
    return json::parse(outputOf(quoted(cli.string()) + " --json --folder " + quoted(folder) + " " +
                                quoted(store.string()) + " 2>/dev/null"));
}

json python(const fs::path& store, const std::string& folder)
{
    const fs::path script = brisk::test::sourceDir() / "scripts" / "python-figures";
    // Debian's interpreter, whatever python3 comes first on PATH.
    return json::parse(outputOf("/usr/bin/python3 " + quoted(script.string()) + " --folder " + quoted(folder) + " " +
                                quoted(store.string())));
}

void expectSameFigures(const json& program, const json& script, const std::string& where)
{
    for (const char* key : kExactKeys)
        EXPECT_EQ(program[key], script[key]) << where << ": " << key;
}

TEST(CliEnronCorpus, SentItemsFiguresEqualThoseOfTheIndependentReading)
{
    BRISK_REQUIRE_CORPORA(corpora);
    for (const char* user : kUsers) {
        const fs::path store = corpora / "enron" / user;
        const json program = brisk(store, "sent_items");
        const json script = python(store, "sent_items");
        const std::string where = std::string(user) + "/sent_items";
        expectSameFigures(program, script, where);
        // Sent mail of Outlook: the recipients of every message parse the
        // same way in both readings, so one-to-one agrees exactly too.
        EXPECT_EQ(program["lOneToOneEmails"], script["lOneToOneEmails"]) << where;
        EXPECT_GT(program["lEmailsAnalysed"], 250) << where;
        EXPECT_GT(program["lResponseCount"], 10) << where << ": quoted Sent: lines are read";
        EXPECT_TRUE(program["errors"].empty()) << where;
    }
}

// The other folders hold older Lotus Notes exports, calendars and junk mail.
// Every figure agrees there as well, but for the recipients of one message:
// presto-k/deleted_items/cur/703.eml is addressed To:
// <"undisclosed-recipient".@enron@enron.com>. Python's getaddresses() yields
// no address for it; GMime drops it too, and the program's loose reading
// (which counts any non-empty text in <...>, so that Enron's
// "l..eisenstein@enron.com" recipients are not lost) then counts one
// recipient, making the message one-to-one. Hence a tolerance of one message
// per folder on lOneToOneEmails.
TEST(CliEnronCorpus, EveryOtherFolderAgreesWithinOneOneToOneMessage)
{
    BRISK_REQUIRE_CORPORA(corpora);
    for (const char* user : kUsers) {
        const fs::path store = corpora / "enron" / user;
        for (const auto& entry : fs::directory_iterator(store)) {
            const std::string folder = entry.path().filename().string();
            if (!entry.is_directory() || folder == "sent_items")
                continue;
            const json program = brisk(store, folder);
            const json script = python(store, folder);
            const std::string where = std::string(user) + "/" + folder;
            expectSameFigures(program, script, where);
            EXPECT_NEAR(program["lOneToOneEmails"].get<double>(), script["lOneToOneEmails"].get<double>(), 1.0) << where;
        }
    }
}

} // namespace
