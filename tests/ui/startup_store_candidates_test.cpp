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

class StoreCandidatesTest : public ::testing::Test {
protected:
    fs::path mkdir(const fs::path& dir)
    {
        fs::create_directories(dir);
        return dir;
    }
    // The program lies in <root>/app, its sample store in <root>/data/sample-store.
    fs::path appFolder() const { return root / "app"; }
    fs::path makeSampleStore() { return mkdir(root.path() / "data" / "sample-store"); }
    fs::path localFolders(const std::string& profile) { return mkdir(home / ".thunderbird" / profile / "Mail" / "Local Folders"); }
    void writeProfiles(const std::string& ini) { writeFile(home / ".thunderbird" / "profiles.ini", ini); }

    TempDir root;
    TempDir home;
    TempDir elsewhere;
    ScopedEnv homeEnv{"HOME", home.path().string()};
    ScopedEnv maildirEnv{"MAILDIR", std::nullopt};
    ScopedEnv mailEnv{"MAIL", std::nullopt};
};

TEST_F(StoreCandidatesTest, TheCommandLineStoreIsTheOnlyCandidateEvenWhenMissing)
{
    makeSampleStore();
    mkdir(home / "Maildir");
    const auto named = (elsewhere / "no-such-store").string();
    EXPECT_EQ(storeCandidates(named, appFolder()), std::vector<fs::path>{named});
}

TEST_F(StoreCandidatesTest, EveryPlaceInItsOrderThenTheSampleStore)
{
    const fs::path maildir = mkdir(elsewhere / "env-maildir");
    const fs::path spool = elsewhere / "spool-mbox";
    writeFile(spool, "From a@b Thu Jan  1 00:00:00 2015\n\n");
    ScopedEnv setMaildir("MAILDIR", maildir.string());
    ScopedEnv setMail("MAIL", spool.string());
    const fs::path homeMaildir = mkdir(home / "Maildir");
    const fs::path homeMail = mkdir(home / "mail");
    const fs::path thunderbird = localFolders("Profiles/abc.default");
    writeProfiles("[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/abc.default\nDefault=1\n");
    const fs::path sample = makeSampleStore();

    const std::vector<fs::path> expected = {maildir, homeMaildir, homeMail, thunderbird, spool, sample};
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), expected);
}

TEST_F(StoreCandidatesTest, PlacesThatDoNotExistAreLeftOut)
{
    ScopedEnv setMaildir("MAILDIR", (elsewhere / "gone").string());
    ScopedEnv setMail("MAIL", "");
    const fs::path homeMail = mkdir(home / "mail");
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), std::vector<fs::path>{homeMail});
    const fs::path sample = makeSampleStore();
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), (std::vector<fs::path>{homeMail, sample}));
    // Installed, the sample store lies in the program's data folder.
    const fs::path installed = mkdir(appFolder() / "sample-store");
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), (std::vector<fs::path>{homeMail, installed}));
}

struct ProfilesCase {
    const char* what;
    const char* ini;
    const char* expectedProfile; // under ~/.thunderbird; empty: none found
};

class ThunderbirdProfiles : public StoreCandidatesTest, public ::testing::WithParamInterface<ProfilesCase> {};

TEST_P(ThunderbirdProfiles, LeadToTheDefaultProfilesLocalFolders)
{
    for (const char* profile : {"Profiles/old.default", "Profiles/new.default-release"})
        localFolders(profile);
    writeProfiles(GetParam().ini);
    const std::string expected = GetParam().expectedProfile;
    const auto found = thunderbirdLocalFolders(home.path());
    if (expected.empty()) {
        EXPECT_FALSE(found) << GetParam().what;
        EXPECT_TRUE(storeCandidates(std::nullopt, appFolder()).empty()) << GetParam().what;
        return;
    }
    const fs::path local = home / ".thunderbird" / expected / "Mail" / "Local Folders";
    EXPECT_EQ(found, local) << GetParam().what;
    EXPECT_EQ(storeCandidates(std::nullopt, appFolder()), std::vector<fs::path>{local}) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    StoreCandidatesTest, ThunderbirdProfiles,
    ::testing::Values(
        ProfilesCase{"Default=1 of a profile",
                     "[General]\nStartWithLastProfile=1\n\n"
                     "[Profile1]\nName=new\nIsRelative=1\nPath=Profiles/new.default-release\n\n"
                     "[Profile0]\nName=old\nIsRelative=1\nPath=Profiles/old.default\nDefault=1\n",
                     "Profiles/old.default"},
        ProfilesCase{"Default= of an [Install] section over a profile's Default=1",
                     "[Install4F96D1932A9F858E]\nDefault=Profiles/new.default-release\nLocked=1\n\n"
                     "[Profile1]\nName=new\nIsRelative=1\nPath=Profiles/new.default-release\n\n"
                     "[Profile0]\nName=old\nIsRelative=1\nPath=Profiles/old.default\nDefault=1\n",
                     "Profiles/new.default-release"},
        ProfilesCase{"CR LF line ends", "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/old.default\r\nDefault=1\r\n",
                     "Profiles/old.default"},
        ProfilesCase{"a profile without Mail/Local Folders",
                     "[Profile0]\nIsRelative=1\nPath=Profiles/unused\nDefault=1\n", ""},
        ProfilesCase{"no profile at all", "[General]\nStartWithLastProfile=1\n", ""}));

TEST_F(StoreCandidatesTest, AnAbsoluteProfilePathIsTakenAsItIs)
{
    const fs::path profile = elsewhere / "tb-profile";
    const fs::path local = mkdir(profile / "Mail" / "Local Folders");
    writeProfiles("[Profile0]\nName=x\nIsRelative=0\nPath=" + profile.string() + "\nDefault=1\n");
    EXPECT_EQ(thunderbirdLocalFolders(home.path()), local);
}

} // namespace
} // namespace brisk::test
