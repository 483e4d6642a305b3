// What crosses from a parser process to the walk: every value an item gives,
// every error it raises and its body's figures arrive as they left, and bytes
// that are no reply are refused without touching the store's item.

#include "engine/ParseAhead.h"
#include "engine/RemoteParse.h"
#include "tests/support/MemoryStore.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using namespace std::string_literals;
using test::MemoryFolder;
using test::MemoryItem;

// Each accessor's value, or "!" and its error, as one line.
std::string answers(MailItem& item)
{
    std::string out;
    const auto add = [&](const char* name, auto read) {
        out += name;
        try {
            out += "=" + read() + ";";
        } catch (const std::exception& e) {
            out += "!" + std::string(e.what()) + ";";
        }
    };
    const auto join = [](const std::vector<std::string>& list) {
        std::string s;
        for (const std::string& x : list)
            s += x + "|";
        return s;
    };
    add("type", [&] { return item.typeName(); });
    add("time", [&] { return std::to_string(item.receivedTime()); });
    add("subject", [&] { return item.subject(); });
    add("body", [&] { return item.body(); });
    add("size", [&] { return std::to_string(item.size()); });
    add("attachments", [&] { return std::to_string(item.attachmentCount()); });
    add("to", [&] { return join(item.recipients()); });
    add("sender", [&] { return item.senderName(); });
    add("ids", [&] { return item.messageId() + "/" + join(item.inReplyTo()) + "/" + join(item.references()); });
    add("facts", [&] {
        const BodyFacts f = scanBody(item, {});
        return std::to_string(f.empty) + "," + (f.quotedSent ? std::to_string(*f.quotedSent) : "-") + ","
               + (f.attribution ? std::to_string(f.attribution->offset) : "-") + "," + std::to_string(f.ownWords)
               + "," + std::to_string(f.ownUtf16Length);
    });
    return out;
}

TEST(RemoteParse, EveryValueAndErrorCrossesAsItLeft)
{
    MemoryFolder folder("Sent Items", nullptr);
    const MemoryItem mail{.subject = "RE: Ünïcode \0 held"s,
                          .body = "Fine.\r\n\r\nOn 3 May 2011 10:00, Bob wrote:\r\n> x\r\nSent: 02/05/2011 09:00\r\n",
                          .recipients = {"Bob", "", "Carol Ann"},
                          .messageId = "a@b",
                          .inReplyTo = {"c@d"},
                          .references = {"e@f", "c@d"}};
    for (const char* failing : {"", "typeName", "receivedTime", "subject", "body", "size", "attachments",
                                "recipients", "sender"}) {
        MemoryItem data = mail;
        data.failingValue = failing;
        folder.items = {data, MemoryItem{.typeName = "ReportItem", .failingValue = failing}};
        for (long index : {1L, 2L}) {
            const DateLocale locale; // outlives the items, which keep a reference
            std::unique_ptr<MailItem> original = folder.item(index);
            ParsedItem here(folder.item(index), locale);
            const std::string reply = encodeReply(folder.item(index), locale);
            const std::unique_ptr<MailItem> remote = decodeReply(reply, original, locale);
            EXPECT_EQ(original, nullptr) << "the store's item serves the body";
            EXPECT_EQ(answers(*remote), answers(here)) << failing << " item " << index;
        }
    }
}

TEST(RemoteParse, BytesThatAreNoReplyOrRequestAreRefused)
{
    MemoryFolder folder("Sent Items", nullptr);
    folder.items = {MemoryItem{.recipients = {"Bob", "Carol"}, .failingValue = "sender"}};
    const std::string reply = encodeReply(folder.item(1), DateLocale{});
    const DateLocale locale;
    // Cut anywhere, or with a byte too many.
    for (std::size_t cut = 0; cut <= reply.size(); ++cut) {
        const std::string bytes = cut < reply.size() ? reply.substr(0, cut) : reply + "\x01";
        std::unique_ptr<MailItem> original = folder.item(1);
        EXPECT_THROW(decodeReply(bytes, original, locale), StoreError) << cut;
        EXPECT_NE(original, nullptr) << "a refused reply keeps the store's item";
    }
    std::string huge = reply;
    huge[huge.find("Bob") - 9] = '\x10'; // the recipients' count: 2^60 + 2
    std::unique_ptr<MailItem> original = folder.item(1);
    EXPECT_THROW(decodeReply(huge, original, locale), StoreError);

    const ParseRequest request{"12 - 0 Europe/Berlin\n/a b/\n1.eml", DateOrder::MonthFirst, "Europe/Berlin"};
    const std::string bytes = encodeRequest(request);
    const ParseRequest back = decodeRequest(bytes);
    EXPECT_EQ(std::tie(back.recipe, back.order, back.zone), std::tie(request.recipe, request.order, request.zone));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_THROW(decodeRequest(bytes.substr(0, cut)), StoreError) << cut;
}

} // namespace
} // namespace brisk
