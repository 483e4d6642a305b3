// The IMAP store against servers that misbehave, played by a scripted
// server on loopback.

#include "platform/imap/ImapStore.h"
#include "tests/imap/imap_Servers.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

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
        std::string error; // after "paused: " for StoreDisconnected: the run pauses rather than ends
        try {
            const auto store = imap::openImapStore(server.url(), prompts, options);
            MailFolder* box = store->findFolder("Box");
            error = box ? (box->item(1)->subject(), "") : "no folder Box";
        } catch (const StoreDisconnected& e) {
            error = std::string("paused: ") + e.what();
        } catch (const StoreError& e) {
            error = e.what();
        }
        const bool paused = c.error.starts_with("paused: ");
        EXPECT_EQ(error.starts_with("paused: "), paused) << error;
        EXPECT_EQ(error.empty(), c.error.empty()) << error;
        EXPECT_NE(error.find(c.error.substr(paused ? 8 : 0)), std::string::npos) << c.error << "\n" << error;
        for (const std::string& line : server.received()) {
            EXPECT_EQ(line.find("SELECT"), std::string::npos) << line;
            EXPECT_TRUE(line.find("BODY") == std::string::npos || line.find("BODY.PEEK[") != std::string::npos) << line;
            const bool loggedIn = line.find("LOGIN") != std::string::npos || line.find("AUTH") != std::string::npos;
            EXPECT_FALSE(loggedIn && c.address != std::string("127.0.0.1")) << line;
        }
    }
}

} // namespace
} // namespace brisk::test
