// The IMAP store against a real Dovecot on loopback serving a copy of a
// generated Maildir tree, compared with the same tree read from disk. That
// the store never changes a flag (EXAMINE, BODY.PEEK) is checked on the
// commands, against the scripted server.

#include "engine/UsageLogSink.h"
#include "platform/imap/ImapStore.h"
#include "shell/Cli.h"
#include "shell/CliAnalysis.h"
#include "shell/HeadlessWindow.h"
#include "tests/imap/imap_Servers.h"
#include "tests/platform/mailstore_Fixtures.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace brisk::test {
namespace {

// \Sent marks a folder without a sent-mail name: found by its flag alone.
constexpr const char* kSent = "Sent Items/Projects";
constexpr const char* kTrash = "Sent Items/Deleted Items";

// One server for the suite, started by the first test that runs.
class DovecotStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const auto why = Dovecot::unavailable())
            GTEST_SKIP() << *why;
        if (!smallCorpus())
            GTEST_SKIP() << "../shared/tools/make-corpus is absent; no store to serve";
        corpus = *smallCorpus();
        if (!server)
            server = std::make_unique<Dovecot>(corpus, kSent, kTrash);
        prompts.password = "secret";
    }
    static void TearDownTestSuite() { server.reset(); }

    inline static std::unique_ptr<Dovecot> server;
    std::filesystem::path corpus;
    RecordingPrompts prompts;
};

// Every value of the MailItem interface, one line per item, sorted: the
// same lines from both stores mean every message was read exactly once.
Lines itemValues(MailFolder& folder)
{
    Lines lines;
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

TEST_F(DovecotStore, ServesTheTreeAndEveryMessageOnce)
{
    auto imapStore = openMailStore(server->url(), prompts);
    auto diskStore = openMailStore(corpus);
    EXPECT_EQ(prompts.passwordQuestions, Lines{"Password for user at 127.0.0.1:"});
    EXPECT_EQ(imapStore->defaultFolder().path(), kSent);
    // The Maildir's "Inbox" is not served: IMAP names are case-blind for
    // INBOX, which the fixture keeps empty elsewhere.
    Lines imapPaths, diskPaths, trash;
    eachFolder(imapStore->root(), [&](MailFolder& f) {
        if (f.path() != "INBOX" && !f.path().empty())
            imapPaths.push_back(f.path());
        if (f.isTrash())
            trash.push_back(f.path());
    });
    eachFolder(diskStore->root(), [&](MailFolder& f) {
        if (!f.path().empty() && f.path().rfind("Inbox", 0) != 0)
            diskPaths.push_back(f.path());
    });
    ASSERT_NE(imapStore->findFolder("INBOX"), nullptr);
    EXPECT_EQ(imapPaths, diskPaths);
    EXPECT_EQ(trash, Lines{kTrash});

    long messages = 0;
    for (const std::string& path : imapPaths) {
        MailFolder* imapFolder = imapStore->findFolder(path);
        MailFolder* diskFolder = diskStore->findFolder(path);
        ASSERT_TRUE(imapFolder && diskFolder) << path;
        EXPECT_EQ(itemValues(*imapFolder), itemValues(*diskFolder)) << path;
        messages += imapFolder->itemCount();
    }
    EXPECT_GT(messages, 200);

    // The bulk header scan gives what reading each item gives.
    MailFolder* sent = imapStore->findFolder("Sent Items");
    const Scanned bulk = scannedBy([&](const auto& sink) { sent->scanThreadHeaders(sink); });
    EXPECT_EQ(bulk, scannedBy([&](const auto& sink) { sent->MailFolder::scanThreadHeaders(sink); }));
    EXPECT_EQ(static_cast<long>(bulk.size()), sent->itemCount());
}

// brisk-cli reads the password from its environment; a wrong one exits with
// 2, and nobody answering the question opens nothing.
TEST_F(DovecotStore, AWrongPasswordExitsWith2AndNoPasswordOpensNothing)
{
    ScopedEnv env("BRISK_IMAP_PASSWORD", "not-the-Pa55word");
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"--json", "--folder", "Sent Items", server->url()}, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "brisk-cli: the server 127.0.0.1 refused the login of user: wrong user name or password\n");
    RecordingPrompts cancelled;
    try {
        openMailStore(server->url(), cancelled);
        ADD_FAILURE() << "opened without a password";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "no password given for user at 127.0.0.1");
    }
}

// Stopped after 40 items, the server pauses the run; started again, Resume
// goes on from the same item, and every figure equals the Maildir's, read
// directly without a pause.
TEST_F(DovecotStore, AStoppedServerPausesTheRunAndResumeGoesOnFromTheSameItem)
{
    bool stopped = false, resumed = false;
    imap::ImapOptions small;
    small.batchBytes = 16 * 1024; // a few messages per round trip
    const auto run = [&](std::unique_ptr<MailStore> store, const std::function<void(AppState&)>& afterItem) {
        auto app = std::make_unique<AppState>();
        app->session.oNameSpace = std::move(store);
        app->session.oPickedFolder = app->session.oNameSpace->findFolder("Sent Items");
        NoUsageLog log;
        FakeClock clock(46000.0); // December 2025
        HeadlessWindow window(*app, prompts, log, clock);
        window.onYield = [&] { afterItem(*app); };
        window.ResetLabels();
        window.controller().StartButton_Click();
        if (window.startCaption() == "Resume") {
            resumed = true;
            EXPECT_LT(app->analysis.lEmailsProcessed, 150);
            const std::string shown = prompts.shown.empty() ? "" : prompts.shown.back().text;
            EXPECT_EQ(shown.rfind("the connection to 127.0.0.1 was lost (", 0), 0u) << shown;
            EXPECT_NE(shown.find(". Pausing execution. Click Resume to go on from the same message."),
                      std::string::npos) << shown;
            server->start();
            window.controller().StartButton_Click();
        }
        EXPECT_EQ(window.startCaption(), "Start");
        EXPECT_GT(app->analysis.lEmailsProcessed, 150);
        std::ostringstream figures;
        printJsonResults(*app, window, {}, figures);
        return figures.str();
    };
    const std::string interrupted = run(imap::openImapStore(server->url(), prompts, small), [&](AppState& app) {
        if (app.analysis.lEmailsProcessed == 40 && !stopped) {
            server->stop();
            stopped = true;
        }
    });
    EXPECT_TRUE(stopped && resumed) << "the run never paused";
    EXPECT_EQ(prompts.passwordQuestions.size(), 1u) << "the password is asked once, kept for reconnecting";
    const std::string direct = run(openMailStore(corpus), [](AppState&) {});
    EXPECT_EQ(interrupted, direct);
}

// imaps with a certificate nobody vouches for is refused before any login;
// trusting the test's own authority, the whole store works over TLS.
TEST_F(DovecotStore, CertificatesAreVerifiedAndTlsCarriesTheWholeSession)
{
    if (std::system("command -v openssl >/dev/null") != 0)
        GTEST_SKIP() << "openssl is absent; no test certificate";
    Dovecot tls(corpus, kSent, kTrash, true);
    try {
        imap::openImapStore(tls.tlsUrl(), prompts);
        ADD_FAILURE() << "a self-signed certificate was accepted";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("no trusted TLS connection to 127.0.0.1: ", 0), 0u) << e.what();
    }
    imap::ImapOptions trusting;
    trusting.connection.caFile = tls.certificate().string();
    trusting.batchBytes = 64 * 1024;
    auto overTls = imap::openImapStore(tls.tlsUrl(), prompts, trusting);
    EXPECT_EQ(itemValues(overTls->defaultFolder()), itemValues(*openMailStore(corpus)->findFolder(kSent)));
}

} // namespace
} // namespace brisk::test
