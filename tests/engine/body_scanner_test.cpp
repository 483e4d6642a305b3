// The streamed body rules give the whole-text rules' figures for any cut of
// the body into chunks.

#include "tests/support/BodyFactsCheck.h"
#include "tests/support/MemoryStore.h"

namespace brisk {
namespace {

const std::string kOverlong(5000, 'y');

TEST(BodyScanner, AgreesWithTheWholeTextRulesForEveryChunking)
{
    const std::string cases[] = {
        "",
        " ",
        "   two  words   ",
        "mine\r\nFrom: Bob\r\n> old\r\n",
        "mine\r\n> quoted\r\nFrom: Bob\r\n",
        "> quoted first\r\nmine",
        "FroFrom: x",
        "FFrom:",
        "Fro\nm: not a From",
        "Sent: 05/01/2015 10:00\r\nmore",
        "text\r\nSent: Monday, January 5, 2015 10:00 AM\r\nTo: x",
        "SSent: 5 Jan 2015 10:00\r\n",
        "Sent: 5 Jan 2015 10:00 Sent: 6 Jan 2015\r\n",
        "Sent: 5 Jan 2015 10:00\r\nSent: 6 Jan 2015 11:00\r\n",
        "Sent: 5 Jan 2015 10:00",
        "Sent: " + kOverlong + "\r\n",
        "mine\r\nOn 5 Jan 2015 at 10:00, Ann wrote:\r\n> q\r\n",
        "mine\r\nAm 05.01.2015 um 10:00 schrieb Ann:\r\nFrom: x",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann Example\r\n<ann@example.org>\r\nwrote:\r\n\r\n> q",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann\r\n" + kOverlong + "\r\nwrote:\r\n",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann wrote:",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann\nwrote:\n",
        "x\r\nOn Monday, Ann wrote:\r\nOn 5 Jan 2015 at 10:00, Bob wrote:\r\n",
        "> On 5 Jan 2015 at 10:00, Bob wrote:\r\nmine From: z",
        "Le 5 janv. 2015 \xC3\xA0 10:00, Ann a \xC3\xA9" "crit :\xC2\xA0\r\n",
        "caf\xC3\xA9 \xF0\x9F\x98\x80 na\xC3\xAFve\r\nFrom: y",
        "bad \xE2\x82 \xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80 \xFF\xF0\x9F\x98",
        "cut \xE2\x82" "From: z",
        "lone\rCR\r\r\nand LF\n\n>q",
        kOverlong + "\r\nFrom: x",
    };
    std::mt19937 random(11);
    for (const std::string& body : cases) {
        const std::string where = body.substr(0, 60);
        for (const std::size_t maxChunk : {std::size_t{1}, std::size_t{3}, std::size_t{17}, body.size() + 1})
            for (int round = 0; round < 8; ++round)
                test::expectRulesAgree(body, test::scanInChunks(body, random, maxChunk), where);
    }
}

TEST(BodyScanner, ReadsTheItemsBodyThroughItsStream)
{
    test::MemoryItem data;
    data.body = "mine\r\nOn 5 Jan 2015 at 10:00, Ann wrote:\r\n> q\r\n";
    test::MemoryFolder folder("Sent Items", nullptr);
    folder.addItem(data);
    const BodyFacts facts = scanBody(*folder.item(1));
    ASSERT_TRUE(facts.attribution);
    EXPECT_EQ(facts.attribution->offset, 6u);
    EXPECT_EQ(facts.ownWords, 1);
    EXPECT_EQ(facts.ownUtf16Length, 6);
}

} // namespace
} // namespace brisk
