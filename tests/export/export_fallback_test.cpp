// An application folder that cannot be written (an installed program): the
// results file goes to the user's documents folder. Root may write anywhere,
// so as root the export runs in a child process that has dropped to an
// unprivileged user.

#include "tests/export/export_Support.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace brisk::test {
namespace {

constexpr uid_t kNobody = 65534;

// Runs `body` in a child process (as an unprivileged user when we are root)
// and returns what it wrote; "SKIP" when the user could not be changed.
std::string inChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const bool root = ::geteuid() == 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string report = "SKIP";
        if (!root || (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)) {
            try {
                report = body();
            } catch (const std::exception& e) {
                report = std::string("exception: ") + e.what();
            }
        }
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0); // no test teardown in the child
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return report;
}

using ExportFallback = ExportFixture;

TEST_F(ExportFallback, UnwritableApplicationFolderSendsTheFileToTheDocumentsFolder)
{
    const auto home = dir / "home";
    const auto config = dir / "config";
    std::filesystem::create_directories(home);
    writeFile(config / "user-dirs.dirs", "# written by a test\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    ScopedEnv homeEnv("HOME", home.string());
    ScopedEnv configEnv("XDG_CONFIG_HOME", config.string());
    analyse(knownFolder());
    using std::filesystem::perms;
    std::filesystem::permissions(appDir, perms::owner_read | perms::owner_exec | perms::group_read |
                                             perms::group_exec | perms::others_read | perms::others_exec);
    if (::geteuid() == 0) {
        std::filesystem::permissions(dir.path(), perms::owner_all | perms::group_read | perms::group_exec |
                                                     perms::others_read | perms::others_exec);
        ASSERT_EQ(::chown(home.c_str(), kNobody, kNobody), 0);
    }
    const std::string report = inChild([&] {
        const auto saved = exportNow();
        std::string out = saved ? saved->string() : "<nothing saved>";
        for (const auto& text : prompts.texts())
            out += "\n" + text;
        return out;
    });
    if (report == "SKIP")
        GTEST_SKIP() << "running as root without the right to become an unprivileged user, so the application "
                        "folder cannot be made unwritable";
    const auto papers = home / "Papers";
    const auto expected = papers / (std::string("Brisk Vezoriv Rizovave Output, ") + kUserName +
                                    ", Sent Items05-12-26 140709.xlsm");
    EXPECT_EQ(report, expected.string()) << "the documents folder is the installed program's usual place: no message";
    EXPECT_TRUE(std::filesystem::is_regular_file(expected));
    EXPECT_FALSE(std::filesystem::exists(appDir / expected.filename()));
}

} // namespace
} // namespace brisk::test
