// The IMAP store against a real Dovecot on loopback serving a copy of a
// generated Maildir tree, compared with the same tree read from disk; and
// against a scripted server that misbehaves, where the commands also show
// that the store never changes a flag (EXAMINE, BODY.PEEK).

#include "engine/UsageLogSink.h"
#include "platform/imap/ImapStore.h"
#include "shell/Cli.h"
#include "shell/CliAnalysis.h"
#include "shell/HeadlessWindow.h"
#include "tests/imap/imap_Servers.h"
#include "tests/platform/mailstore_Fixtures.h"
#include "tests/support/ScopedEnv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace brisk::test {
namespace {

using ::testing::AllOf, ::testing::HasSubstr, ::testing::StartsWith, ::testing::StrEq, ::testing::ThrowsMessage;

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
    long messages = 0;
    eachFolder(imapStore->root(), [&](MailFolder& f) {
        if (f.isTrash())
            trash.push_back(f.path());
        if (f.path() == "INBOX" || f.path().empty())
            return;
        imapPaths.push_back(f.path());
        MailFolder* diskFolder = diskStore->findFolder(f.path());
        EXPECT_EQ(itemValues(f), diskFolder ? itemValues(*diskFolder) : Lines{}) << f.path();
        messages += f.itemCount();
    });
    eachFolder(diskStore->root(), [&](MailFolder& f) {
        if (!f.path().empty() && f.path().rfind("Inbox", 0) != 0)
            diskPaths.push_back(f.path());
    });
    ASSERT_NE(imapStore->findFolder("INBOX"), nullptr);
    EXPECT_EQ(std::tuple(imapPaths, trash), std::tuple(diskPaths, Lines{kTrash}));
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
    const int code = runCli({"--json", "--folder", "Sent Items", server->url()}, out, err);
    EXPECT_EQ(std::tuple(code, out.str(), err.str()),
              std::tuple(2, "", "brisk-cli: the server 127.0.0.1 refused the login of user: wrong user name or "
                                "password\n"));
    RecordingPrompts cancelled;
    EXPECT_THAT([&] { openMailStore(server->url(), cancelled); },
                ThrowsMessage<StoreError>(StrEq("no password given for user at 127.0.0.1")));
}

// Stopped after 40 items, the server pauses the run; started again, Resume
// goes on from the same item, and every figure equals the Maildir's, read
// directly without a pause.
TEST_F(DovecotStore, AStoppedServerPausesTheRunAndResumeGoesOnFromTheSameItem)
{
    bool stopped = false, resumed = false;
    const imap::ImapOptions small{.connection = {}, .batchBytes = 16 * 1024}; // a few messages per round trip
    const auto run = [&](std::unique_ptr<MailStore> store, bool interrupt) {
        auto app = std::make_unique<AppState>();
        app->session.oNameSpace = std::move(store);
        app->session.oPickedFolder = app->session.oNameSpace->findFolder("Sent Items");
        NoUsageLog log;
        FakeClock clock(46000.0); // December 2025
        HeadlessWindow window(*app, prompts, log, clock);
        window.onYield = [&] {
            if (interrupt && !stopped && app->analysis.lEmailsProcessed == 40) {
                server->stop();
                stopped = true;
            }
        };
        window.ResetLabels();
        window.controller().StartButton_Click();
        if (window.startCaption() == "Resume") {
            resumed = true;
            EXPECT_LT(app->analysis.lEmailsProcessed, 150);
            EXPECT_THAT(prompts.shown.empty() ? "" : prompts.shown.back().text,
                        AllOf(StartsWith("the connection to 127.0.0.1 was lost ("),
                              HasSubstr(". Pausing execution. Click Resume to go on from the same message.")));
            server->start();
            window.controller().StartButton_Click();
        }
        EXPECT_EQ(window.startCaption(), "Start");
        EXPECT_GT(app->analysis.lEmailsProcessed, 150);
        std::ostringstream figures;
        printJsonResults(*app, window, {}, figures);
        return figures.str();
    };
    const std::string interrupted = run(imap::openImapStore(server->url(), prompts, small), true);
    EXPECT_TRUE(stopped && resumed) << "the run never paused";
    EXPECT_EQ(prompts.passwordQuestions.size(), 1u) << "the password is asked once, kept for reconnecting";
    EXPECT_EQ(interrupted, run(openMailStore(corpus), false));
}

// imaps with a certificate nobody vouches for is refused before any login;
// trusting the test's own authority, the whole store works over TLS.
TEST_F(DovecotStore, CertificatesAreVerifiedAndTlsCarriesTheWholeSession)
{
    if (std::system("command -v openssl >/dev/null") != 0)
        GTEST_SKIP() << "openssl is absent; no test certificate";
    Dovecot tls(corpus, kSent, kTrash, true);
    EXPECT_THAT([&] { imap::openImapStore(tls.tlsUrl(), prompts); },
                ThrowsMessage<StoreError>(StartsWith("no trusted TLS connection to 127.0.0.1: ")));
    const imap::ImapOptions trusting{.connection = {.caFile = tls.certificate().string()}, .batchBytes = 64 * 1024};
    auto overTls = imap::openImapStore(tls.tlsUrl(), prompts, trusting);
    EXPECT_EQ(itemValues(overTls->defaultFolder()), itemValues(*openMailStore(corpus)->findFolder(kSent)));
}

const std::string kList = "* LIST (\\HasNoChildren) \"/\" Box\r\n{tag} OK done\r\n";

// A server that lists "Box", examines it and gives the sizes of its one
// message, then answers the body's fetch with `body`.
FakeServer::Script reading(const std::string& body)
{
    return {{"LIST", kList},
            {"EXAMINE", "* 1 EXISTS\r\n* OK [UIDVALIDITY 7] ok\r\n{tag} OK [READ-ONLY] done\r\n"},
            {"UID FETCH 1:* (UID RFC822.SIZE",
             "* 1 FETCH (UID 1 RFC822.SIZE 60 INTERNALDATE \"01-Jan-2020 00:00:00 +0000\")\r\n{tag} OK done\r\n"},
            {"UID FETCH 1 (UID BODY.PEEK[])", body}};
}

// A well-behaved script reads the message, never selecting a folder nor
// fetching a body without PEEK; every fault gives a clear error, no crash.
// 127.0.0.2 is loopback to the kernel but not this machine's own address as
// the store understands it: a server there must offer STARTTLS, and the
// password never goes out in clear text.
TEST(ImapHostileServer, EveryFaultGivesAClearErrorAndNoCrash)
{
    const std::string deep = std::string(40, '(') + std::string(40, ')');
    const struct {
        FakeServer::Script script;
        std::string error; // a part of the error's text, after "paused: " for StoreDisconnected; "" when it reads
        const char* address = "127.0.0.1";
    } cases[] = {
        {{{"LIST", "\x01\x02 garbage\r\n"}}, "answered a command with \"garbage\""},
        {{{"LIST", "* LIST () \"/\" {99999999999}\r\n"}}, "announced 99999999999 bytes"},
        {{{"LIST", "* LIST () \"/\" " + std::string(3 << 20, 'a')}}, "longer than 1048576 bytes"},
        {{{"LIST", "* LIST " + deep + " \"/\" Box\r\n{tag} OK\r\n"}}, "nested too deeply"},
        {{{"LIST", "* LIST () \"/\" {12a}\r\n"}}, "malformed literal size"},
        {{{"LIST", "* BYE going down\r\n<close>"}}, "paused: the server said: going down"},
        {{{"LIST", kList}, {"EXAMINE", "{tag} NO [NONEXISTENT] gone\r\n"}}, "answered NO: [NONEXISTENT] gone"},
        {reading("* 1 FETCH (UID 1 BODY[] {60}\r\nSubject: cut\r\n<close>"), "paused: the server closed it"},
        {reading("* 1 FETCH (UID 1 BODY[] {2000000}\r\n<close>"), "announced 2000000 bytes"},
        {reading("* 1 FETCH (UID 9 BODY[] {2}\r\nhi)\r\n{tag} OK done\r\n"),
         "message UID 1 of folder \"Box\" on 127.0.0.1 is no longer on the server"},
        {reading("* 1 FETCH (UID 1 BODY[] {24}\r\nSubject: fine\r\n\r\nHello\r\n)\r\n{tag} OK done\r\n"), ""},
        {{{"LIST", kList}}, "127.0.0.2 offers no STARTTLS, and the password is sent over an encrypted connection "
                            "only (use imaps:// if the server has it)", "127.0.0.2"},
    };
    RecordingPrompts prompts;
    prompts.password = "secret";
    imap::ImapOptions options;
    options.maxMessageBytes = 1 << 20;
    options.connection.readTimeoutSeconds = 30;
    for (const auto& c : cases) {
        FakeServer server(c.script, c.address);
        std::string error;
        try {
            const auto store = imap::openImapStore(server.url(), prompts, options);
            MailFolder* box = store->findFolder("Box");
            error = box ? (box->item(1)->subject(), "") : "no folder Box";
        } catch (const StoreError& e) { // StoreDisconnected pauses the run rather than ends it
            error = (dynamic_cast<const StoreDisconnected*>(&e) ? "paused: " : "") + std::string(e.what());
        }
        const bool paused = c.error.starts_with("paused: ");
        EXPECT_EQ(error.starts_with("paused: "), paused) << error;
        EXPECT_EQ(error.empty(), c.error.empty()) << error;
        EXPECT_NE(error.find(c.error.substr(paused ? 8 : 0)), std::string::npos) << c.error << "\n" << error;
        for (const std::string& line : server.stop()) {
            EXPECT_EQ(line.find("SELECT"), std::string::npos) << line;
            EXPECT_TRUE(line.find("BODY") == std::string::npos || line.find("BODY.PEEK[") != std::string::npos) << line;
            const bool loggedIn = line.find("LOGIN") != std::string::npos || line.find("AUTH") != std::string::npos;
            EXPECT_FALSE(loggedIn && c.address != std::string("127.0.0.1")) << line;
        }
    }
}

} // namespace
} // namespace brisk::test
