// brisk-cli --export over the bundled sample store. The template is looked
// for beside the running executable, so the cases that must find it run the
// real brisk-cli as a process; in process, the test executable's folder has
// no template.

#include "shell/Cli.h"
#include "tests/export/export_Support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brisk::test {
namespace {

struct CliRun {
    int status = -1;
    std::string err;
};

class ExportCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(sampleStoreDir() / ".complete"))
            << "the sample store is missing; build the sample_store target";
        ASSERT_TRUE(std::filesystem::exists(cli())) << "build the brisk-cli target";
        ASSERT_TRUE(std::filesystem::exists(builtTemplatePath())) << "build the results_template target";
    }
    static std::filesystem::path cli() { return buildDir() / "app" / "brisk-cli"; }
    CliRun run(const std::vector<std::string>& args)
    {
        std::string command = shellQuote(cli().string());
        for (const auto& a : args)
            command += " " + shellQuote(a);
        const auto errFile = dir / "stderr.txt";
        command += " " + shellQuote(sampleStoreDir().string()) + " >/dev/null 2>" + shellQuote(errFile.string());
        CliRun r;
        r.status = runCommand(command);
        r.err = readFile(errFile);
        return r;
    }
    TempDir dir;
};

TEST_F(ExportCli, ExportWritesAWorkbookOfTheRun)
{
    const auto file = dir / "results.xlsm";
    const CliRun r = run({"--export", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Results saved in " + file.string()), std::string::npos) << r.err;
    const auto v = readBack(file, {"label:OutputUsernameLabel", "label:OutputMailboxLabel",
                                   "label:OutputValidEmailsCountLabel", "DetailedResults!B10",
                                   "DetailedResults!L27", "DetailedResults!V15", "DetailedResults!B15"});
    EXPECT_NE(v.at("label:OutputUsernameLabel").text, "Anonymous");
    EXPECT_FALSE(v.at("label:OutputUsernameLabel").text.empty());
    EXPECT_EQ(v.at("label:OutputMailboxLabel").text, "Sent Items");
    const double analysed = v.at("label:OutputValidEmailsCountLabel").number();
    EXPECT_GT(analysed, 0);
    for (const char* total : {"DetailedResults!B10", "DetailedResults!L27", "DetailedResults!V15"})
        EXPECT_EQ(v.at(total).number(), analysed) << total;
    EXPECT_EQ(v.at("DetailedResults!B15").type, "str");
}

TEST_F(ExportCli, AnonymousWritesAnonymous)
{
    const auto file = dir / "anonymous.xlsm";
    const CliRun r = run({"--export", file.string(), "--anonymous"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto v = readBack(file, {"label:OutputUsernameLabel", "label:OutputMailboxLabel"});
    EXPECT_EQ(v.at("label:OutputUsernameLabel").text, "Anonymous");
    EXPECT_EQ(v.at("label:OutputMailboxLabel").text, "Sent Items");
}

TEST_F(ExportCli, AnExistingFileIsNeverReplaced)
{
    const auto file = dir / "taken.xlsm";
    writeFile(file, "somebody's file");
    const auto before = std::filesystem::last_write_time(file);
    const CliRun r = run({"--export", file.string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("brisk-cli: cannot write " + file.string()), std::string::npos) << r.err;
    EXPECT_EQ(readFile(file), "somebody's file");
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
}

TEST_F(ExportCli, InProcessArgumentsAndAMissingTemplate)
{
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"--anonymous", sampleStoreDir().string()}, out, err), 2);
    EXPECT_NE(err.str().find("--anonymous goes with --export"), std::string::npos) << err.str();
    EXPECT_EQ(runCli({sampleStoreDir().string(), "--export"}, out, err), 2);
    EXPECT_NE(err.str().find("--export needs a file name"), std::string::npos) << err.str();
    // The test executable's folder holds no template: nothing is written.
    err.str("");
    const auto file = dir / "none.xlsm";
    EXPECT_EQ(runCli({"--export", file.string(), sampleStoreDir().string()}, out, err), 2);
    EXPECT_NE(err.str().find("brisk-cli: cannot write " + file.string()), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
} // namespace brisk::test
