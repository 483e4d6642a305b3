// brisk-cli --export over the sample store. The template is looked for
// beside the running executable: the test executable's folder has none.

#include "shell/Cli.h"
#include "tests/export/export_Support.h"

#include <sstream>
#include <sys/wait.h>

namespace brisk::test {
namespace {

TEST(ExportCli, ExportWritesAWorkbookOfTheRunAndNeverReplacesAFileNorWritesWithoutATemplate)
{
    ASSERT_TRUE(std::filesystem::exists(sampleStoreDir() / ".complete")) << "build the sample_store target";
    TempDir dir;
    std::string err;
    // brisk-cli's exit status; its standard error in `err`.
    auto run = [&](const std::vector<std::string>& args) {
        std::string command = shellQuote((buildDir() / "app" / "brisk-cli").string());
        for (const auto& a : args)
            command += " " + shellQuote(a);
        command += " " + shellQuote(sampleStoreDir().string()) + " >/dev/null 2>" + shellQuote((dir / "err").string());
        const int status = std::system(command.c_str());
        err = readFile(dir / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const auto file = dir / "results.xlsm", anonymous = dir / "anonymous.xlsm", taken = dir / "taken.xlsm";
    ASSERT_EQ(run({"--export", file.string()}), 0) << err;
    EXPECT_NE(err.find("Results saved in " + file.string()), std::string::npos) << err;
    ASSERT_EQ(run({"--export", anonymous.string(), "--anonymous"}), 0) << err;
    // What the run found reaches the workbook; the cells themselves are the export tests'.
    const auto v = readWorkbook(file, {"label:OutputUsernameLabel", "label:OutputValidEmailsCountLabel"});
    EXPECT_NE(v.at("label:OutputUsernameLabel").text, "Anonymous");
    EXPECT_GT(v.at("label:OutputValidEmailsCountLabel").number(), 2000);
    expectCells(anonymous, {{"label:OutputUsernameLabel", "Anonymous"}});

    writeFile(taken, "somebody's file");
    EXPECT_EQ(run({"--export", taken.string()}), 2);
    EXPECT_NE(err.find("brisk-cli: cannot write " + taken.string()), std::string::npos) << err;
    EXPECT_EQ(readFile(taken), "somebody's file");

    std::ostringstream out, errors;
    EXPECT_EQ(runCli({"--export", (dir / "none.xlsm").string(), sampleStoreDir().string()}, out, errors), 2);
    EXPECT_NE(errors.str().find("brisk-cli: cannot write " + (dir / "none.xlsm").string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.xlsm"));
}

} // namespace
} // namespace brisk::test
