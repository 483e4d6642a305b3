// brisk-cli on Outlook data files: the figures of a PST folder equal those of
// the same messages written as a Maildir by scripts/pst-to-maildir (pypff
// and pffexport, libpff's own tools, none of the program's code), and a
// damaged file ends the run with a clear message and exit status 2.

#include "tests/cli/CliRun.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using brisk::test::CliRun;
constexpr auto cli = brisk::test::runCliCaptured;

// Every figure but the sizes: a PST reports the stored message size
// (PidTagMessageSize), the Maildir the bytes of the file the script wrote.
const char* const kSameKeys[] = {"lEmailsProcessed", "lEmailsAnalysed", "lResponseCount", "lOneToOneEmails",
                                 "lTotalChars", "lTotalWords", "dFirstEmailDate", "dLastEmailDate",
                                 "vHourCount", "vWeekdayCount", "vMonthCount", "topSenders", "topReceivers"};
const char* const kSamePanel[] = {"ProgressNumLabel", "DailyEmailsAvgLabel", "DailyEmailsMaxLabel",
                                  "EmailLgtWordsLabel", "ReAndFwdPercentLabel", "OneToOneEmailPCLabel",
                                  "MedianResponseHrLabel", "MedianResponseMinLabel", "NumValidEmailsLabel"};

TEST(CliPst, FiguresEqualThoseOfTheSameMessagesAsMaildir)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const fs::path pst = corpora / "pst";
    if (!fs::is_directory(pst))
        GTEST_SKIP() << "../shared/corpora/pst is absent";
    const std::string script = brisk::test::readFile(brisk::test::sourceDir() / "scripts" / "pst-to-maildir");
    // Folders whose recipients pffexport prints whole (it cuts long X.500
    // addresses, as in tika/testPST_variousBodyTypes.pst) and whose items
    // all carry a delivery or submit time.
    const struct {
        const char* file;
        const char* folder;
        long analysed;
    } cases[] = {{"tika/testPST.pst", "", 7},
                 {"aspose-net/Outlook.pst", "Sent Items", 6},
                 {"aspose-net/Outlook.pst", "Inbox", 8},
                 {"aspose-net/Chunks_Test_part1.pst", "Sent Items", 31},
                 {"hughbe-PstReader/backup.pst", "Inbox", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.folder);
        brisk::test::TempDir dir;
        const std::string file = (pst / c.file).string();
        brisk::test::runPython(script, {file, c.folder, (dir / "box").string()});
        const CliRun fromPst = cli({"--json", "--folder", c.folder, file});
        const CliRun fromMaildir = cli({"--json", (dir / "box").string()});
        ASSERT_EQ(fromPst.status, 0) << fromPst.err;
        ASSERT_EQ(fromMaildir.status, 0) << fromMaildir.err;
        const json a = fromPst.json(), b = fromMaildir.json();
        EXPECT_EQ(a["lEmailsAnalysed"], c.analysed);
        EXPECT_TRUE(a["errors"].empty());
        for (const char* key : kSameKeys)
            EXPECT_EQ(a[key], b[key]) << key;
        for (const char* key : kSamePanel)
            EXPECT_EQ(a["panel"][key], b["panel"][key]) << key;
    }
}

TEST(CliPst, DamagedFilesEndWithAMessageAndStatusTwo)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const fs::path bad = corpora / "pst" / "aspose-net" / "bad";
    if (!fs::is_directory(bad))
        GTEST_SKIP() << "../shared/corpora/pst is absent";
    brisk::test::TempDir dir;
    brisk::test::writeFile(dir / "empty.ost", "");
    const struct {
        fs::path file;
        const char* message;
    } cases[] = {{bad / "SMTP_Outlook_is_mbox.pst", "invalid file signature"},
                 {bad / "CSharp_Outlook_Data_Outlook.pst", "has no folder tree"},
                 {dir / "empty.ost", "not a readable Outlook data file"}};
    for (const auto& c : cases) {
        const CliRun run = cli({"--json", c.file.string()});
        EXPECT_EQ(run.status, 2) << c.file;
        EXPECT_TRUE(run.out.empty()) << c.file;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // A folder whose item table cannot be read is listed with "?", and the
    // listing ends with the status of a store read in part.
    const CliRun listed = cli({"--list-folders", (bad / "Chunks-Split_Outlook_part1.pst").string()});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.out.find("\n    SubInbox (?)\n"), std::string::npos) << listed.out;
}

} // namespace
