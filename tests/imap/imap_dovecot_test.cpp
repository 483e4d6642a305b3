// The IMAP store against a real Dovecot on loopback: the folder tree with
// the server's special-use flags, every message read once with the values
// of the same Maildir read directly, no flag changed on the server, a wrong
// password, the server stopped in the middle of a run, and brisk-cli's JSON
// figures equal to those of the Maildir.

#include "shell/HeadlessWindow.h"
#include "engine/UsageLogSink.h"
#include "platform/imap/ImapStore.h"
#include "platform/mailstore/OpenStore.h"
#include "shell/Cli.h"
#include "tests/imap/imap_Servers.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace brisk::test {
namespace {

#define REQUIRE_DOVECOT(corpus)                                                   \
    if (const auto why = Dovecot::unavailable())                                 \
        GTEST_SKIP() << *why;                                                     \
    const auto corpus##_opt = smallCorpus();                                      \
    if (!corpus##_opt)                                                            \
        GTEST_SKIP() << "../shared/tools/make-corpus is absent; no store to serve"; \
    const fs::path corpus = *corpus##_opt

void eachFolder(MailFolder& folder, const std::function<void(MailFolder&)>& visit)
{
    visit(folder);
    for (MailFolder* child : folder.folders())
        eachFolder(*child, visit);
}

// Every value of the MailItem interface, one line per item, sorted: the
// same lines from both stores mean every message was read exactly once.
std::vector<std::string> itemValues(MailFolder& folder)
{
    std::vector<std::string> lines;
    for (long i = 1; i <= folder.itemCount(); ++i) {
        auto item = folder.item(i);
        std::ostringstream line;
        line << item->typeName() << '|' << item->receivedTime() << '|' << item->subject() << '|' << item->size()
             << '|' << item->attachmentCount() << '|' << item->senderName() << '|' << item->body().size() << '|'
             << std::hash<std::string>()(item->body());
        for (const auto& r : item->recipients())
            line << '|' << r;
        lines.push_back(line.str());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli(const std::vector<std::string>& args, const char* password)
{
    ScopedEnv env("BRISK_IMAP_PASSWORD", password);
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(DovecotStore, ServesTheTreeAndEveryMessageOnceWithoutChangingAFlag)
{
    REQUIRE_DOVECOT(corpus);
    // \Sent on a folder without a sent-mail name: found by its flag alone.
    Dovecot server(corpus, "Sent Items/Projects", "Sent Items/Deleted Items");
    RecordingPrompts prompts;
    prompts.password = "secret";
    auto imapStore = openMailStore(server.url(), prompts);
    auto diskStore = openMailStore(corpus);
    EXPECT_EQ(prompts.passwordQuestions, std::vector<std::string>{"Password for user at 127.0.0.1:"});
    EXPECT_EQ(imapStore->location(), server.url().substr(0, server.url().size() - 1) + "/");
    EXPECT_EQ(imapStore->defaultFolder().path(), "Sent Items/Projects");

    std::vector<std::string> imapPaths, diskPaths, trash;
    std::map<std::string, std::vector<std::string>> flagsBefore;
    eachFolder(imapStore->root(), [&](MailFolder& f) {
        if (f.path() == "INBOX" || f.path().empty())
            return;
        imapPaths.push_back(f.path());
        if (f.isTrash())
            trash.push_back(f.path());
        flagsBefore[f.path()] = f.itemCount() ? serverFlags(server.url(), f.path()) : std::vector<std::string>{};
    });
    // The Maildir's "Inbox" is not served: IMAP names are case-blind for
    // INBOX, which the fixture keeps empty elsewhere.
    eachFolder(diskStore->root(), [&](MailFolder& f) {
        if (!f.path().empty() && f.path().rfind("Inbox", 0) != 0)
            diskPaths.push_back(f.path());
    });
    ASSERT_NE(imapStore->findFolder("INBOX"), nullptr);
    EXPECT_EQ(imapPaths, diskPaths);
    EXPECT_EQ(trash, std::vector<std::string>{"Sent Items/Deleted Items"});

    long messages = 0;
    for (const std::string& path : imapPaths) {
        MailFolder* imapFolder = imapStore->findFolder(path);
        MailFolder* diskFolder = diskStore->findFolder(path);
        ASSERT_TRUE(imapFolder && diskFolder) << path;
        EXPECT_EQ(imapFolder->itemCount(), diskFolder->itemCount()) << path;
        EXPECT_EQ(itemValues(*imapFolder), itemValues(*diskFolder)) << path;
        messages += imapFolder->itemCount();
        if (imapFolder->itemCount()) {
            const auto after = serverFlags(server.url(), path);
            EXPECT_EQ(after, flagsBefore[path]) << path;
            EXPECT_TRUE(std::any_of(after.begin(), after.end(),
                                    [](const std::string& f) { return f.find("\\Seen") == std::string::npos; }))
                << path << ": the test needs unseen messages";
        }
    }
    EXPECT_GT(messages, 200);

    // The bulk header scan gives what reading each item gives.
    using Seen = std::vector<std::pair<std::string, double>>;
    Seen bulk, oneByOne;
    MailFolder* sent = imapStore->findFolder("Sent Items");
    sent->scanThreadHeaders([&](std::string_view id, double t) { bulk.emplace_back(id, t); });
    sent->MailFolder::scanThreadHeaders([&](std::string_view id, double t) { oneByOne.emplace_back(id, t); });
    EXPECT_EQ(bulk, oneByOne);
    if (!oneByOne.empty()) { // once items report their Message-ID: every corpus message has one
        EXPECT_EQ(static_cast<long>(bulk.size()), sent->itemCount());
    }
}

TEST(DovecotStore, JsonFiguresEqualThoseOfTheMaildirAndAWrongPasswordExitsWith2)
{
    REQUIRE_DOVECOT(corpus);
    Dovecot server(corpus, "Sent Items", "Sent Items/Deleted Items");
    const CliRun direct = cli({"--json", corpus.string()}, nullptr);
    const CliRun overImap = cli({"--json", server.url()}, "secret");
    ASSERT_EQ(direct.status, 0) << direct.err;
    EXPECT_EQ(overImap.status, 0) << overImap.err;
    EXPECT_EQ(overImap.out, direct.out);
    EXPECT_NE(direct.out.find("\"lEmailsProcessed\""), std::string::npos) << direct.out;

    const CliRun refused = cli({"--json", server.url()}, "not-the-Pa55word");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "brisk-cli: the server 127.0.0.1 refused the login of user: wrong user name or password\n");
    EXPECT_EQ(refused.err.find("Pa55word"), std::string::npos) << "the password never shows";

    RecordingPrompts cancelled; // nobody gives a password
    EXPECT_THROW(
        try { openMailStore(server.url(), cancelled); } catch (const StoreError& e) {
            EXPECT_STREQ(e.what(), "no password given for user at 127.0.0.1");
            throw;
        },
        StoreError);
}

TEST(DovecotStore, AStoppedServerPausesTheRunAndResumeGoesOnFromTheSameItem)
{
    REQUIRE_DOVECOT(corpus);
    Dovecot server(corpus, "Sent Items", "Sent Items/Deleted Items");
    RecordingPrompts prompts;
    prompts.password = "secret";
    imap::ImapOptions small;
    small.batchBytes = 16 * 1024; // a few messages per round trip
    auto run = [&](std::unique_ptr<MailStore> store,
                   const std::function<void(AppState&)>& afterItem) -> std::pair<int, std::string> {
        auto app = std::make_unique<AppState>();
        app->session.oNameSpace = std::move(store);
        app->session.oPickedFolder = &app->session.oNameSpace->defaultFolder();
        NoUsageLog log;
        FakeClock clock(46000.0); // December 2025
        auto window = std::make_unique<HeadlessWindow>(*app, prompts, log, clock);
        window->onYield = [&] { afterItem(*app); };
        window->ResetLabels();
        window->controller().StartButton_Click();
        if (window->startCaption() == "Resume") {
            EXPECT_LT(app->analysis.lEmailsProcessed, 150);
            const std::string shown = prompts.shown.empty() ? "" : prompts.shown.back().text;
            EXPECT_EQ(shown.rfind("the connection to 127.0.0.1 was lost (", 0), 0u) << shown;
            EXPECT_NE(shown.find(". Pausing execution. Click Resume to go on from the same message."),
                      std::string::npos) << shown;
            server.start();
            window->controller().StartButton_Click();
        }
        EXPECT_EQ(window->startCaption(), "Start");
        return std::make_pair(app->analysis.lEmailsProcessed, window->panel.boxText(PanelBox::EmailSizeKBLabel));
    };
    bool stopped = false;
    const auto interrupted = run(imap::openImapStore(server.url(), prompts, small), [&](AppState& app) {
        if (app.analysis.lEmailsProcessed == 40 && !stopped) {
            server.stop();
            stopped = true;
        }
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(prompts.passwordQuestions.size(), 1u) << "the password is asked once, kept for reconnecting";
    const auto direct = run(openMailStore(corpus), [](AppState&) {});
    EXPECT_GT(direct.first, 150);
    EXPECT_EQ(interrupted, direct);
}

// imaps with a certificate nobody vouches for is refused before any login;
// trusting the test's own authority, the whole store works over TLS.
TEST(DovecotStore, CertificatesAreVerifiedAndTlsCarriesTheWholeSession)
{
    REQUIRE_DOVECOT(corpus);
    if (std::system("command -v openssl >/dev/null") != 0)
        GTEST_SKIP() << "openssl is absent; no test certificate";
    Dovecot server(corpus, "Sent Items", "Sent Items/Deleted Items", true);
    RecordingPrompts prompts;
    prompts.password = "secret";
    try {
        imap::openImapStore(server.tlsUrl(), prompts);
        ADD_FAILURE() << "a self-signed certificate was accepted";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("no trusted TLS connection to 127.0.0.1: ", 0), 0u) << e.what();
    }
    imap::ImapOptions trusting;
    trusting.connection.caFile = server.certificate().string();
    trusting.batchBytes = 64 * 1024;
    auto overTls = imap::openImapStore(server.tlsUrl(), prompts, trusting);
    auto direct = openMailStore(corpus);
    EXPECT_EQ(itemValues(overTls->defaultFolder()), itemValues(direct->defaultFolder()));
}

} // namespace
} // namespace brisk::test
