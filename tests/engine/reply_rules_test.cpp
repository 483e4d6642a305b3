// The reply rules (quoted "Sent: " line, threading headers, attribution
// line), where the own text ends, and the date window that ends with the run.

#include "engine/MessageAnalysis.h"
#include "engine/ThreadIndex.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::RecordingPrompts;

TEST(OwnText, EndsAtTheFirstOfFromAttributionAndQuotedLine)
{
    struct Case {
        const char* body;
        const char* own;
    } cases[] = {
        {"mine\r\nFrom: Bob\r\n> old\r\n", "mine\r\n"},
        {"mine\r\n> quoted\r\nFrom: Bob\r\n", "mine\r\n"},
        {"> quoted first\r\nmine", ""},
        {"mine\r\nOn 5 Jan 2015 at 10:00, Ann wrote:\r\n> q\r\n", "mine\r\n"},
        {"mine\r\nAm 05.01.2015 um 10:00 schrieb Ann:\r\nFrom: x", "mine\r\n"},
        {"a > b and c\r\nmore", "a > b and c\r\nmore"},
        {"mine\r\nOn Monday, Ann wrote:\r\nrest", "mine\r\nOn Monday, Ann wrote:\r\nrest"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ownText(c.body), c.own) << c.body;
}

class ReplyRulesTest : public ::testing::Test {
protected:
    ReplyRulesTest()
    {
        PrepareAnalysisArrays(state, 10);
        index.add("parent@x", makeDate(2015, 1, 5, 8, 0, 0));
        index.add("late@x", makeDate(2015, 1, 5, 12, 0, 0));
        index.add("ref@x", makeDate(2015, 1, 5, 7, 0, 0));
        index.seal();
    }
    // The response minutes the item gets (-1: none) and the rule that gave them.
    std::pair<int, int> feed(const MemoryItem& item)
    {
        folder.items = {item};
        const auto before = state.responseSources;
        ProcessMessage(state, folder.item(1).get(), {}, prompts, &index);
        for (int rule = 0; rule < 3; ++rule)
            if (state.responseSources[static_cast<std::size_t>(rule)] != before[static_cast<std::size_t>(rule)])
                return {state.items.vItemResponseMinutes[static_cast<std::size_t>(state.lEmailsProcessed - 1)], rule};
        return {state.items.vItemResponseMinutes[static_cast<std::size_t>(state.lEmailsProcessed - 1)], -1};
    }

    AnalysisState state;
    ThreadIndex index;
    RecordingPrompts prompts;
    MemoryFolder folder{"Sent Items", nullptr};
};

TEST_F(ReplyRulesTest, RulesAreTriedInOrderAndAbsurdDatesAreNoEvidence)
{
    const std::string sent = "-----Original Message-----\r\nFrom: Ann\r\nSent: 5 January 2015 09:30\r\n";
    const std::string attribution = "On 5 Jan 2015 at 09:45, Ann wrote:\r\n> hi\r\n";
    struct Case {
        std::string body;
        std::vector<std::string> inReplyTo, references;
        int minutes, rule;
    } cases[] = {
        {sent + attribution, {"parent@x"}, {}, 30, 0},
        {"ok\r\n" + attribution, {"parent@x"}, {}, 120, 1},
        {"ok\r\n" + attribution, {}, {}, 15, 2},
        {"ok\r\n" + attribution, {"unknown@x"}, {}, 15, 2},        // parent not in the store
        {"ok\r\n", {"unknown@x"}, {}, -1, -1},
        {"ok\r\n", {}, {"first@x", "ref@x"}, 180, 1},               // the last References entry
        {"ok\r\n" + attribution, {"late@x"}, {}, 15, 2},           // parent later than the reply
        {"Sent: 5 January 0000 09:30\r\n", {"parent@x"}, {}, 120, 1}, // year 0000
        {"Sent: 5 January 1990 09:30\r\n", {}, {}, -1, -1},         // before the window
        {"Sent: 6 January 2015 10:01\r\n", {}, {}, -1, -1},         // after the reply by more than a day
        {"Sent: 6 January 2015 09:30\r\n", {}, {}, -1410, 0},       // later, within a day
        {"On 9 Jan 2015 at 09:45, Ann wrote:\r\n", {}, {}, -1, -1},
    };
    for (const auto& c : cases) {
        MemoryItem item;
        item.subject = "Re: plan";
        item.receivedTime = makeDate(2015, 1, 5, 10, 0, 0);
        item.body = c.body;
        item.inReplyTo = c.inReplyTo;
        item.references = c.references;
        EXPECT_EQ(feed(item), std::make_pair(c.minutes, c.rule)) << c.body;
    }
    EXPECT_EQ(state.lResponseCount, 8);
    EXPECT_EQ(state.responseSources, (std::array<std::int32_t, 3>{2, 3, 3}));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ReplyRulesTest, OnlyRepliesAndForwardsAreTimed)
{
    MemoryItem item;
    item.subject = "plan";
    item.receivedTime = makeDate(2015, 1, 5, 10, 0, 0);
    item.inReplyTo = {"parent@x"};
    EXPECT_EQ(feed(item), std::make_pair(-1, -1));
}

TEST(ThreadIndexTest, RepeatedIdsKeepTheEarliestTimeAndUnknownIdsAreAbsent)
{
    ThreadIndex index;
    index.add("a@x", 3.0);
    index.add("b@x", 2.0);
    index.add("a@x", 1.0);
    index.add("", 5.0);
    index.seal();
    EXPECT_EQ(index.size(), 2u);
    EXPECT_EQ(index.receivedTime("a@x"), 1.0);
    EXPECT_EQ(index.receivedTime("b@x"), 2.0);
    EXPECT_EQ(index.receivedTime("c@x"), std::nullopt);
    EXPECT_EQ(index.bytes(), 2 * 16u);
}

TEST(RunWindow, EndsAtMidnightAfterTheRunStartButNotBefore2021)
{
    struct Case {
        DateValue runStart;
        DateValue item;
        bool analysed;
    } cases[] = {
        {makeDate(2026, 12, 6, 9, 0, 0), makeDate(2026, 12, 6, 23, 59, 59), true},
        {makeDate(2026, 12, 6, 9, 0, 0), makeDate(2026, 12, 7), true},
        {makeDate(2026, 12, 6, 9, 0, 0), makeDate(2026, 12, 7, 0, 0, 1), false},
        {makeDate(2026, 12, 6, 9, 0, 0), makeDate(1991, 1, 1), true},
        {makeDate(2026, 12, 6, 9, 0, 0), makeDate(1990, 12, 31, 23, 59, 59), false},
        {makeDate(2019, 5, 1, 9, 0, 0), makeDate(2021, 1, 1), true},
        {makeDate(2019, 5, 1, 9, 0, 0), makeDate(2021, 1, 1, 0, 0, 1), false},
    };
    for (const auto& c : cases) {
        AnalysisState state;
        RecordingPrompts prompts;
        setRunWindow(state, c.runStart);
        PrepareAnalysisArrays(state, 1);
        MemoryFolder folder{"Sent Items", nullptr};
        MemoryItem data;
        data.receivedTime = c.item;
        folder.items = {data};
        ProcessMessage(state, folder.item(1).get(), {}, prompts);
        EXPECT_EQ(state.lEmailsAnalysed, c.analysed ? 1 : 0) << formatIsoTimestamp(c.item);
        // The window's last day has its cell: no error, and it is counted.
        EXPECT_TRUE(prompts.shown.empty()) << formatIsoTimestamp(c.item);
        EXPECT_EQ(state.dayCountMax, c.analysed ? 1 : 0) << formatIsoTimestamp(c.item);
        EXPECT_EQ(state.vDayCount.size(), static_cast<std::size_t>(daysBetween(state.vWindowStart, state.vWindowEnd) + 1));
    }
}

} // namespace
} // namespace brisk
