// The file procedures under the usage logs and the export: folder tests,
// appending lines in the single-byte code page without following links, the
// documents folder and where an installed program finds its data.

#include "export/ExportWorkflow.h"
#include "platform/system/FileProcedures.h"
#include "shell/InstalledSettings.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace brisk {
namespace {

using namespace test;

// One folder of hostile entries for both: a failure never creates folders,
// writes through a link or waits on a FIFO.
TEST(FileProcedures, DoesFolderExistAndWriteToFileAppendingCodePageLinesOrShowingTheError)
{
    TempDir dir;
    RecordingPrompts quiet;
    for (const char* line : {"first", "caf\xC3\xA9 \xE2\x82\xAC", ""}) // "café €"
        WriteToFile((dir / "out.txt").string(), line, quiet);
    EXPECT_EQ(readFile(dir / "out.txt"), "first\r\ncaf\xE9 ?\r\n\r\n");
    EXPECT_TRUE(quiet.shown.empty());

    std::filesystem::create_directory(dir / "folder.txt");
    std::filesystem::create_directory_symlink(dir / "folder.txt", dir / "link");
    std::filesystem::create_directory_symlink(dir / "missing", dir / "dangling");
    writeFile(dir / "victim", "kept");
    std::filesystem::create_symlink(dir / "victim", dir / "log.txt");
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
    const std::pair<std::string, bool> folders[] = {
        {(dir / "folder.txt").string() + "/", true}, {(dir / "link").string(), true},
        {(dir / "out.txt").string() + "/", false},   {(dir / "dangling").string(), false}, {"", false},
    };
    for (const auto& [path, exists] : folders)
        EXPECT_EQ(DoesFolderExist(path), exists) << path;
    for (const auto& path : {(dir / "no-such-folder" / "log.txt").string(), (dir / "folder.txt").string(),
                             (dir / "log.txt").string(), (dir / "fifo.txt").string(), std::string()}) {
        RecordingPrompts prompts;
        WriteToFile(path, "line", prompts);
        ASSERT_EQ(prompts.texts(), std::vector<std::string>{"BRISK Vezoriv Rizovave: Error writing to file: " + path});
        EXPECT_EQ(std::pair(prompts.shown[0].title, prompts.shown[0].question),
                  std::pair(std::string("Brisk Vezoriv Rireviru"), false));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
    EXPECT_EQ(readFile(dir / "victim"), "kept");
}

TEST(CodePage, Utf8ToLatin1KeepsWhatFitsAndMarksTheRest)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9"},   // é t é
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},     // U+00A0, U+00FF: the range's ends
        {"\xC4\x80", "?"},                    // U+0100: first beyond
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},   // two CJK characters
        {"\xF0\x9F\x98\x80!", "?!"},          // an emoji, four bytes
        {"a\xFF" "b", "a?b"},                 // a byte no sequence starts with
        {"a\xC3", "a?"},                      // cut short at the end
        {"\xC3(", "?("},                      // lead without continuation
        {"\xE0\x80\xAF", "???"},              // overlong form
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [utf8, latin1] : cases)
        EXPECT_EQ(utf8ToLatin1(utf8), latin1) << utf8;
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    EXPECT_EQ(utf8ToLatin1(latin1ToUtf8(bytes)), bytes) << "every byte survives the round trip";
}

TEST(DocumentsFolder, ReadsUserDirsWithHomeExpandedElseDocumentsInHomeAndCreatesIt)
{
    TempDir home, config;
    ScopedEnv h("HOME", home.path().string());
    ScopedEnv x("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(documentsFolder(), home / "Documents");
    writeFile(home / ".config" / "user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                   "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                   "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\"\"\n");
    EXPECT_EQ(documentsFolder(), home / "My \"Papers\"");
    ScopedEnv c("XDG_CONFIG_HOME", config.path().string());
    writeFile(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (home / "abs" / "docs").string() + "\"\n");
    EXPECT_EQ(documentsFolder(), home / "abs" / "docs");
    for (const char* made : {"Documents", "My \"Papers\"", "abs/docs"})
        EXPECT_TRUE(std::filesystem::is_directory(home / made)) << made;
}

TEST(InstalledSettings, AnInstalledProgramFindsItsDataUnderItsPrefixABuiltOneBesideItself)
{
    TempDir prefix;
    const auto bin = prefix / "bin";
    const auto data = (bin / BRISK_DATA_FROM_BINDIR).lexically_normal();
    std::filesystem::create_directories(bin);
    const Settings built = installedSettings(bin);
    EXPECT_EQ(built.applicationFolder, bin) << "no data under the prefix: the build tree";
    EXPECT_TRUE(built.SharedOutputFolder.ends_with('/'));
    std::filesystem::create_directories(data);
    EXPECT_EQ(dataFolderOf(bin), bin) << "an empty share/brisk is not the program's";
    writeFile(data / kTemplateFileName, "template");
    EXPECT_EQ(installedSettings(bin).applicationFolder, data);
    EXPECT_EQ(data, prefix.path() / "share" / "brisk");
}

} // namespace
} // namespace brisk
