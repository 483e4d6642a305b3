// brisk-cli against independent readings that share no code with the
// program: the Enron custodians of the shared corpora read by
// scripts/python-figures (Python's email package), and Outlook data files
// written out as Maildir by scripts/pst-to-maildir (libpff's own tools).

#include "tests/cli/CliRun.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A run that exits with 0 and, when `clean`, shows no error.
json jsonRun(const std::vector<std::string>& args, bool clean = true)
{
    const CliRun run = runCliCaptured(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(!clean || run.json()["errors"].empty()) << run.out;
    return run.json();
}

// Every figure both readings compute the same way (every body of these
// folders is text/plain: the script's HTML reduction is not the program's).
// In the other folders than the sent items, one message of presto-k's
// deleted_items is addressed To: <"undisclosed-recipient".@enron@enron.com>:
// Python's getaddresses() yields no address, the program's loose reading
// (which keeps Enron's "l..eisenstein@enron.com") counts one recipient,
// making it one-to-one: a tolerance of one on lOneToOneEmails there.
TEST(CliIndependent, EveryEnronFolderEqualsPythonsReading)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const std::string script = readFile(sourceDir() / "scripts" / "python-figures");
    for (const char* user : {"allen-p", "buy-r", "grigsby-m", "presto-k"}) {
        for (const auto& entry : fs::directory_iterator(corpora / "enron" / user)) {
            if (!entry.is_directory())
                continue;
            const std::string folder = entry.path().filename().string(), store = entry.path().parent_path();
            SCOPED_TRACE(user + ("/" + folder));
            const bool sent = folder == "sent_items";
            const json program = jsonRun({"--json", "--folder", folder, store}, sent);
            const json python = json::parse(runPython(script, {"--folder", folder, store}));
            for (const char* key : {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lTotalSizeKB",
                                    "lTotalSizeWithAttKB", "lTotalSizeWoAttKB", "lTotalWords", "lTotalChars",
                                    "dFirstEmailDate", "dLastEmailDate", "vHourCount", "vWeekdayCount", "vMonthCount"})
                EXPECT_EQ(program[key], python[key]) << key;
            EXPECT_NEAR(program["lOneToOneEmails"].get<double>(), python["lOneToOneEmails"].get<double>(),
                        sent ? 0 : 1);
        }
    }
}

// Every figure but the sizes: a PST reports the stored message size
// (PidTagMessageSize), the Maildir the bytes of the file the script wrote.
// The folders are those whose recipients pffexport prints whole (it cuts
// long X.500 addresses) and whose items all carry a delivery or submit time.
TEST(CliIndependent, PstFiguresEqualThoseOfTheSameMessagesAsMaildir)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const fs::path pst = corpora / "pst";
    if (!fs::is_directory(pst))
        GTEST_SKIP() << "../shared/corpora/pst is absent";
    const std::string script = readFile(sourceDir() / "scripts" / "pst-to-maildir");
    // The file, the folder and the messages it holds.
    const std::tuple<const char*, const char*, long> cases[] = {
        {"tika/testPST.pst", "", 7}, {"aspose-net/Outlook.pst", "Sent Items", 6}, {"aspose-net/Outlook.pst", "Inbox", 8},
        {"aspose-net/Chunks_Test_part1.pst", "Sent Items", 31}, {"hughbe-PstReader/backup.pst", "Inbox", 1}};
    for (const auto& [name, folder, analysed] : cases) {
        SCOPED_TRACE(std::string(name) + " " + folder);
        TempDir dir;
        const std::string file = (pst / name).string();
        runPython(script, {file, folder, (dir / "box").string()});
        const json a = jsonRun({"--json", "--folder", folder, file}), b = jsonRun({"--json", (dir / "box").string()});
        EXPECT_EQ(a["lEmailsAnalysed"], analysed);
        for (const char* key : {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lOneToOneEmails",
                                "lTotalChars", "lTotalWords", "dFirstEmailDate", "dLastEmailDate", "vHourCount",
                                "vWeekdayCount", "vMonthCount", "topSenders", "topReceivers"})
            EXPECT_EQ(a[key], b[key]) << key;
        for (const char* key : {"ProgressNumLabel", "DailyEmailsAvgLabel", "DailyEmailsMaxLabel", "EmailLgtWordsLabel",
                                "ReAndFwdPercentLabel", "OneToOneEmailPCLabel", "MedianResponseHrLabel",
                                "MedianResponseMinLabel", "NumValidEmailsLabel"})
            EXPECT_EQ(a["panel"][key], b["panel"][key]) << key;
    }
}

// A folder whose item table cannot be read is listed with "?", and the
// listing ends with the status of a store read in part. (Files libpff
// refuses are the PST store tests' own.)
TEST(CliIndependent, ADamagedPstFolderIsListedWithAQuestionMark)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const fs::path bad = corpora / "pst" / "aspose-net" / "bad" / "Chunks-Split_Outlook_part1.pst";
    if (!fs::is_regular_file(bad))
        GTEST_SKIP() << "../shared/corpora/pst is absent";
    expectCliRun({{"--list-folders", bad.string()}, 1, {"\n    SubInbox (?)\n"}, "brisk-cli: cannot read folder "});
}

} // namespace
} // namespace brisk::test
