// The IMAP store against servers that misbehave, played by a scripted
// server on loopback: garbage, huge or truncated literals, endless lines,
// deep nesting, a farewell in the middle, vanished messages; and a plain
// imap:// address beyond this machine's loopback address, which must never
// carry the password in clear text.

#include "platform/imap/ImapStore.h"
#include "tests/imap/imap_Servers.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

const std::string kList = "* LIST (\\HasNoChildren) \"/\" Box\r\n{tag} OK done\r\n";
const std::string kExamine = "* 1 EXISTS\r\n* OK [UIDVALIDITY 7] ok\r\n{tag} OK [READ-ONLY] done\r\n";
const std::string kSizes =
    "* 1 FETCH (UID 1 RFC822.SIZE 60 INTERNALDATE \"01-Jan-2020 00:00:00 +0000\")\r\n{tag} OK done\r\n";
const std::string kSizesKey = "UID FETCH 1:* (UID RFC822.SIZE";
const std::string kBodyKey = "UID FETCH 1 (UID BODY.PEEK[])";

struct Hostile {
    const char* what;
    FakeServer::Script script;
    bool disconnected; // StoreDisconnected (the run pauses) rather than StoreError
    std::string message; // found in the error's text; "" when the message reads
};

// Opens the store and reads the one item of "Box"; returns the error.
std::optional<std::pair<bool, std::string>> failure(FakeServer& server)
{
    RecordingPrompts prompts;
    prompts.password = "secret";
    imap::ImapOptions options;
    options.maxMessageBytes = 1 << 20;
    options.connection.readTimeoutSeconds = 30;
    try {
        auto store = imap::openImapStore(server.url(), prompts, options);
        MailFolder* box = store->findFolder("Box");
        if (!box)
            return std::make_pair(false, std::string("no folder Box"));
        auto item = box->item(1);
        item->subject();
    } catch (const StoreDisconnected& e) {
        return std::make_pair(true, std::string(e.what()));
    } catch (const StoreError& e) {
        return std::make_pair(false, std::string(e.what()));
    }
    return std::nullopt;
}

// A well-behaved script reads the message, never selecting a folder nor
// fetching a body without PEEK; every fault gives a clear error, no crash.
TEST(ImapHostileServer, EveryFaultGivesAClearErrorAndNoCrash)
{
    const std::string deep = std::string(40, '(') + std::string(40, ')');
    const std::vector<Hostile> cases = {
        {"garbage instead of a response", {{"LIST", "\x01\x02 garbage\r\n"}}, false,
         "answered a command with \"garbage\""},
        {"a huge literal announced", {{"LIST", "* LIST () \"/\" {99999999999}\r\n"}}, false,
         "announced 99999999999 bytes"},
        {"a line that never ends", {{"LIST", "* LIST () \"/\" " + std::string(3 << 20, 'a')}}, false,
         "longer than 1048576 bytes"},
        {"lists nested without end", {{"LIST", "* LIST " + deep + " \"/\" Box\r\n{tag} OK\r\n"}}, false,
         "nested too deeply"},
        {"a literal size that is no number", {{"LIST", "* LIST () \"/\" {12a}\r\n"}}, false,
         "malformed literal size"},
        {"a farewell in the middle", {{"LIST", "* BYE going down\r\n<close>"}}, true, "the server said: going down"},
        {"a refused EXAMINE", {{"LIST", kList}, {"EXAMINE", "{tag} NO [NONEXISTENT] gone\r\n"}}, false,
         "answered NO: [NONEXISTENT] gone"},
        {"a message cut short",
         {{"LIST", kList}, {"EXAMINE", kExamine}, {kSizesKey, kSizes},
          {kBodyKey, "* 1 FETCH (UID 1 BODY[] {60}\r\nSubject: cut\r\n<close>"}},
         true, "the server closed it"},
        {"a message larger than allowed",
         {{"LIST", kList}, {"EXAMINE", kExamine}, {kSizesKey, kSizes},
          {kBodyKey, "* 1 FETCH (UID 1 BODY[] {2000000}\r\n<close>"}},
         false, "announced 2000000 bytes"},
        {"a message that vanished",
         {{"LIST", kList}, {"EXAMINE", kExamine}, {kSizesKey, kSizes},
          {kBodyKey, "* 1 FETCH (UID 9 BODY[] {2}\r\nhi)\r\n{tag} OK done\r\n"}},
         false, "message UID 1 of folder \"Box\" on 127.0.0.1 is no longer on the server"},
        {"a well-behaved server",
         {{"LIST", kList}, {"EXAMINE", kExamine}, {kSizesKey, kSizes},
          {kBodyKey, "* 1 FETCH (UID 1 BODY[] {24}\r\nSubject: fine\r\n\r\nHello\r\n)\r\n{tag} OK done\r\n"}},
         false, ""},
    };
    for (const Hostile& c : cases) {
        FakeServer server(c.script);
        const auto error = failure(server);
        for (const std::string& line : server.received()) {
            EXPECT_EQ(line.find("SELECT"), std::string::npos) << line;
            EXPECT_TRUE(line.find("BODY") == std::string::npos || line.find("BODY.PEEK[") != std::string::npos) << line;
        }
        if (c.message.empty()) {
            EXPECT_FALSE(error) << error->second;
            continue;
        }
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->first, c.disconnected) << c.what << ": " << error->second;
        EXPECT_NE(error->second.find(c.message), std::string::npos) << c.what << ": " << error->second;
    }
}

// 127.0.0.2 is loopback to the kernel but not this machine's own address
// as the store understands it: a server there must offer STARTTLS.
TEST(ImapHostileServer, PlainImapBeyondTheLoopbackAddressNeverSendsThePassword)
{
    FakeServer server({{"LIST", kList}}, "127.0.0.2");
    RecordingPrompts prompts;
    prompts.password = "secret";
    try {
        imap::openImapStore(server.url(), prompts);
        ADD_FAILURE() << "a plain login beyond loopback was accepted";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "127.0.0.2 offers no STARTTLS, and the password is sent over an encrypted "
                                         "connection only (use imaps:// if the server has it)");
    }
    for (const std::string& line : server.received()) {
        EXPECT_EQ(line.find("LOGIN"), std::string::npos) << line;
        EXPECT_EQ(line.find("AUTHENTICATE"), std::string::npos) << line;
    }
}

} // namespace
} // namespace brisk::test
