// The stores tried at start-up, in order: the command line's alone; else
// $MAILDIR, ~/Maildir, ~/mail, Thunderbird's default local folders, $MAIL,
// the bundled sample store; missing ones left out.

#include "shell/StoreLocator.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

fs::path mkdir(const fs::path& dir)
{
    fs::create_directories(dir);
    return dir;
}

TEST(StoreCandidates, CommandLineAloneElseEveryExistingPlaceInOrderAndThunderbirdsDefaultProfile)
{
    TempDir root, home, elsewhere;
    ScopedEnv homeEnv{"HOME", home.path().string()}, mailEnv{"MAIL", std::nullopt};
    ScopedEnv gone("MAILDIR", (elsewhere / "gone").string());
    const fs::path app = root / "app", tb = home / ".thunderbird";
    const auto named = (elsewhere / "no-such-store").string();
    EXPECT_EQ(storeCandidates(named, app), Paths{named}) << "even when missing";
    const fs::path homeMail = mkdir(home / "mail");
    EXPECT_EQ(storeCandidates(std::nullopt, app), Paths{homeMail});

    const fs::path oldLocal = mkdir(tb / "Profiles/old.default/Mail/Local Folders");
    const fs::path newLocal = mkdir(tb / "Profiles/new.default-release/Mail/Local Folders");
    const fs::path absolute = mkdir(elsewhere / "tb/Mail/Local Folders");
    const std::string older = "[Profile0]\nName=old\nIsRelative=1\nPath=Profiles/old.default\nDefault=1\n";
    const std::string newer = "[Profile1]\nName=new\nIsRelative=1\nPath=Profiles/new.default-release\n\n";
    const std::pair<std::string, std::optional<fs::path>> profiles[] = {
        {"[General]\nStartWithLastProfile=1\n\n" + newer + older, oldLocal},
        {"[Install4F96D1932A9F858E]\nDefault=Profiles/new.default-release\nLocked=1\n\n" + newer + older, newLocal},
        {"[Profile0]\r\nIsRelative=1\r\nPath=Profiles/old.default\r\nDefault=1\r\n", oldLocal},
        {"[Profile0]\nIsRelative=1\nPath=Profiles/unused\nDefault=1\n", std::nullopt},
        {"[General]\nStartWithLastProfile=1\n", std::nullopt},
        {"[Profile0]\nIsRelative=0\nPath=" + (elsewhere / "tb").string() + "\nDefault=1\n", absolute},
    };
    for (const auto& [ini, local] : profiles) {
        writeFile(tb / "profiles.ini", ini);
        EXPECT_EQ(storeCandidates(std::nullopt, app), (local ? Paths{homeMail, *local} : Paths{homeMail})) << ini;
    }

    const fs::path maildir = mkdir(elsewhere / "env-maildir"), spool = elsewhere / "spool-mbox";
    writeFile(spool, "From a@b Thu Jan  1 00:00:00 2015\n\n");
    ScopedEnv setMaildir("MAILDIR", maildir.string()), setMail("MAIL", spool.string());
    const fs::path homeMaildir = mkdir(home / "Maildir"), sample = mkdir(root / "data" / "sample-store");
    EXPECT_EQ(storeCandidates(std::nullopt, app), (Paths{maildir, homeMaildir, homeMail, absolute, spool, sample}));
    // Installed, the sample store lies in the program's data folder.
    const fs::path installed = mkdir(app / "sample-store");
    EXPECT_EQ(storeCandidates(std::nullopt, app).back(), installed);
}

} // namespace
} // namespace brisk::test
