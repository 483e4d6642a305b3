#include "platform/system/FileProcedures.h"
#include "export/ExportWorkflow.h"
#include "shell/InstalledSettings.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace brisk {
namespace {

using test::readFile;
using test::RecordingPrompts;
using test::ScopedEnv;
using test::TempDir;
using test::writeFile;

TEST(DoesFolderExist, TellsReachableFoldersFromEverythingElse)
{
    TempDir dir;
    writeFile(dir / "file.txt", "x");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_directory_symlink(dir / "sub", dir / "link");
    std::filesystem::create_directory_symlink(dir / "missing", dir / "dangling");
    const struct {
        std::string path;
        bool exists;
    } cases[] = {
        {(dir / "sub").string(), true},
        {(dir / "sub").string() + "/", true},
        {(dir / "link").string(), true},
        {(dir / "file.txt").string(), false},
        {(dir / "file.txt").string() + "/", false},
        {(dir / "missing").string(), false},
        {(dir / "dangling").string(), false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DoesFolderExist(c.path), c.exists) << c.path;
}

TEST(WriteToFile, CreatesThenAppendsLinesEndedByCrLf)
{
    TempDir dir;
    RecordingPrompts prompts;
    const std::string file = (dir / "out.txt").string();
    WriteToFile(file, "first", prompts);
    WriteToFile(file, "second,line", prompts);
    WriteToFile(file, "", prompts);
    EXPECT_EQ(readFile(file), "first\r\nsecond,line\r\n\r\n");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(WriteToFile, WritesTheSingleByteCodePage)
{
    TempDir dir;
    RecordingPrompts prompts;
    const std::string file = (dir / "out.txt").string();
    WriteToFile(file, "caf\xC3\xA9 \xE2\x82\xAC", prompts);  // "café €"
    EXPECT_EQ(readFile(file), "caf\xE9 ?\r\n");
}

TEST(WriteToFile, FailureShowsTheErrorWithTheProgramTitleAndReturns)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.txt");
    const std::string cases[] = {
        (dir / "no-such-folder" / "log.txt").string(),
        (dir / "folder.txt").string(),  // a folder cannot be opened for writing
        "",
    };
    for (const auto& path : cases) {
        RecordingPrompts prompts;
        WriteToFile(path, "line", prompts);
        ASSERT_EQ(prompts.shown.size(), 1u) << path;
        EXPECT_EQ(prompts.shown[0].text, "BRISK Vezoriv Rizovave: Error writing to file: " + path);
        EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rireviru");
        EXPECT_FALSE(prompts.shown[0].question);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}

TEST(WriteToFile, NeverWritesThroughALinkOrIntoAFifo)
{
    TempDir dir;
    writeFile(dir / "victim", "kept");
    std::filesystem::create_symlink(dir / "victim", dir / "log.txt");
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
    for (const auto& path : {dir / "log.txt", dir / "fifo.txt"}) {
        RecordingPrompts prompts;
        WriteToFile(path.string(), "line", prompts);
        EXPECT_EQ(prompts.texts(), std::vector<std::string>{"BRISK Vezoriv Rizovave: Error writing to file: " + path.string()});
    }
    EXPECT_EQ(readFile(dir / "victim"), "kept");
}

TEST(CodePage, Utf8ToLatin1KeepsWhatFitsAndMarksTheRest)
{
    const struct {
        std::string utf8;
        std::string latin1;
    } cases[] = {
        {"05-12-26 09:08:12,launch", "05-12-26 09:08:12,launch"},
        {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9"},         // é t é
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},           // U+00A0, U+00FF: the range's ends
        {"\xC4\x80", "?"},                          // U+0100: first beyond
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},         // two CJK characters
        {"\xF0\x9F\x98\x80!", "?!"},                // an emoji, four bytes
        {"a\xFF" "b", "a?b"},                       // a byte no sequence starts with
        {"a\xC3", "a?"},                            // cut short at the end
        {"\xC3(", "?("},                            // lead without continuation
        {"\xC0\xAF", "??"},                         // overlong two-byte form
        {"\xE0\x80\xAF", "???"},                    // overlong three-byte form
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8ToLatin1(c.utf8), c.latin1) << c.utf8;
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    const std::string utf8 = latin1ToUtf8(bytes);
    EXPECT_EQ(utf8.size(), 128u + 2u * 128u);
    EXPECT_EQ(utf8ToLatin1(utf8), bytes);
}

TEST(DocumentsFolder, FallsBackToDocumentsInHomeAndCreatesIt)
{
    TempDir home;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(documentsFolder(), home / "Documents");
    EXPECT_TRUE(std::filesystem::is_directory(home / "Documents"));
}

TEST(DocumentsFolder, ReadsUserDirsWithHomeExpanded)
{
    TempDir home;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", std::nullopt);
    writeFile(home / ".config" / "user-dirs.dirs",
              "# written by xdg-user-dirs-update\n"
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
              "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\"\"\n");
    EXPECT_EQ(documentsFolder(), home / "My \"Papers\"");
    EXPECT_TRUE(std::filesystem::is_directory(home / "My \"Papers\""));
}

TEST(DocumentsFolder, HonoursXdgConfigHomeAndAbsolutePaths)
{
    TempDir home;
    TempDir config;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", config.path().string());
    writeFile(home / ".config" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Ignored\"\n");
    writeFile(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (home / "abs" / "docs").string() + "\"\n");
    EXPECT_EQ(documentsFolder(), home / "abs" / "docs");
    EXPECT_TRUE(std::filesystem::is_directory(home / "abs" / "docs"));
    EXPECT_FALSE(std::filesystem::exists(home / "Ignored"));
}

TEST(InstalledSettings, CarriesTheBuiltInValuesAndTheApplicationFolder)
{
    const Settings settings = installedSettings("/opt/brisk/bin");
    std::string shared = BRISK_SHARED_OUTPUT_FOLDER;
    if (!shared.ends_with('/'))
        shared += '/';
    EXPECT_EQ(settings.SharedOutputFolder, shared);
    EXPECT_TRUE(settings.SharedOutputFolder.ends_with('/'));
    EXPECT_EQ(settings.AdminUserName, BRISK_ADMIN_USER_NAME);
    EXPECT_EQ(settings.ProductHomePageUrl, BRISK_PRODUCT_HOME_PAGE_URL);
    EXPECT_EQ(settings.HowItWorksPageUrl, BRISK_HOW_IT_WORKS_PAGE_URL);
    EXPECT_EQ(settings.applicationFolder, std::filesystem::path("/opt/brisk/bin"));
}

TEST(InstalledSettings, AnInstalledProgramFindsItsDataUnderItsPrefixABuiltOneBesideItself)
{
    TempDir prefix;
    const auto bin = prefix / "bin";
    const auto data = (bin / BRISK_DATA_FROM_BINDIR).lexically_normal();
    std::filesystem::create_directories(bin);
    EXPECT_EQ(installedSettings(bin).applicationFolder, bin) << "no data under the prefix: the build tree";
    std::filesystem::create_directories(data);
    EXPECT_EQ(dataFolderOf(bin), bin) << "an empty share/brisk is not the program's";
    writeFile(data / kTemplateFileName, "template");
    EXPECT_EQ(installedSettings(bin).applicationFolder, data);
    EXPECT_EQ(data, prefix.path() / "share" / "brisk");
}

} // namespace
} // namespace brisk
