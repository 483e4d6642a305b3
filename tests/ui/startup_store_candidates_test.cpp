// Which mail stores the window tries at start-up, in order: the command
// line's alone; else $MAILDIR, ~/Maildir, ~/mail, Thunderbird's default
// profile's local folders, $MAIL, the bundled sample store; missing ones are
// left out.

#include "shell/StoreLocator.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

class StoreCandidatesTest : public ::testing::Test {
protected:
    static fs::path mkdir(const fs::path& dir)
    {
        fs::create_directories(dir);
        return dir;
    }
    // The program lies in <root>/app, its sample store in <root>/data/sample-store.
    fs::path appFolder() const { return root / "app"; }
    fs::path localFolders(const std::string& profile) { return mkdir(home / ".thunderbird" / profile / "Mail" / "Local Folders"); }
    void writeProfiles(const std::string& ini) { writeFile(home / ".thunderbird" / "profiles.ini", ini); }

    TempDir root, home, elsewhere;
    ScopedEnv homeEnv{"HOME", home.path().string()};
    ScopedEnv maildirEnv{"MAILDIR", std::nullopt};
    ScopedEnv mailEnv{"MAIL", std::nullopt};
};

TEST_F(StoreCandidatesTest, TheCommandLineAloneElseEveryPlaceThatExistsInItsOrder)
{
    const auto named = (elsewhere / "no-such-store").string();
    EXPECT_EQ(storeCandidates(named, appFolder()), Paths{named}) << "even when missing";
    ScopedEnv gone("MAILDIR", (elsewhere / "gone").string());
    const fs::path homeMail = mkdir(home / "mail");
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), Paths{homeMail});

    const fs::path maildir = mkdir(elsewhere / "env-maildir");
    const fs::path spool = elsewhere / "spool-mbox";
    writeFile(spool, "From a@b Thu Jan  1 00:00:00 2015\n\n");
    ScopedEnv setMaildir("MAILDIR", maildir.string());
    ScopedEnv setMail("MAIL", spool.string());
    const fs::path homeMaildir = mkdir(home / "Maildir");
    const fs::path thunderbird = localFolders("Profiles/abc.default");
    writeProfiles("[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/abc.default\nDefault=1\n");
    const fs::path sample = mkdir(root / "data" / "sample-store");
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()),
              (Paths{maildir, homeMaildir, homeMail, thunderbird, spool, sample}));
    // Installed, the sample store lies in the program's data folder.
    const fs::path installed = mkdir(appFolder() / "sample-store");
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()).back(), installed);
}

TEST_F(StoreCandidatesTest, ThunderbirdsProfilesLeadToTheDefaultProfilesLocalFolders)
{
    for (const char* profile : {"Profiles/old.default", "Profiles/new.default-release"})
        localFolders(profile);
    const char* older = "[Profile0]\nName=old\nIsRelative=1\nPath=Profiles/old.default\nDefault=1\n";
    const char* newer = "[Profile1]\nName=new\nIsRelative=1\nPath=Profiles/new.default-release\n\n";
    struct Case {
        std::string ini;
        const char* profile; // under ~/.thunderbird; empty: none found
    };
    const Case cases[] = {
        {std::string("[General]\nStartWithLastProfile=1\n\n") + newer + older, "Profiles/old.default"},
        {std::string("[Install4F96D1932A9F858E]\nDefault=Profiles/new.default-release\nLocked=1\n\n") + newer + older,
         "Profiles/new.default-release"},
        {"[Profile0]\r\nIsRelative=1\r\nPath=Profiles/old.default\r\nDefault=1\r\n", "Profiles/old.default"},
        {"[Profile0]\nIsRelative=1\nPath=Profiles/unused\nDefault=1\n", ""},
        {"[General]\nStartWithLastProfile=1\n", ""},
        {"[Profile0]\nIsRelative=0\nPath=" + (elsewhere / "tb").string() + "\nDefault=1\n", "abs"},
    };
    const fs::path absolute = mkdir(elsewhere / "tb" / "Mail" / "Local Folders");
    for (const Case& c : cases) {
        writeProfiles(c.ini);
        const std::string profile = c.profile;
        const auto expected = profile.empty()   ? std::optional<fs::path>()
                              : profile == "abs" ? absolute
                                                 : home / ".thunderbird" / profile / "Mail" / "Local Folders";
        EXPECT_EQ(thunderbirdLocalFolders(home.path()), expected) << c.ini;
        EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), expected ? Paths{*expected} : Paths{}) << c.ini;
    }
}

} // namespace
} // namespace brisk::test
