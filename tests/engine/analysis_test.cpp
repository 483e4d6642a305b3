// The analysis of one item: what each step adds to the state, the date
// window and filter, the reply rules in their order, where the own text
// ends, and how a failing step is reported while the analysis goes on.

#include "platform/mailstore/TextConvert.h"
#include "tests/engine/EngineRun.h"
#include "tests/support/BodyFactsCheck.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::first;
using test::MemoryItem;

class AnalysisTest : public ::testing::Test, public test::Analysed {};

TEST_F(AnalysisTest, EachItemFillsItsSlotBucketsTotalsAndNames)
{
    feed({.typeName = "MeetingItem"});
    const MemoryItem sunday{.receivedTime = makeDate(2011, 6, 19, 23, 30), // a Sunday
                            .body = "one two three\r\nFrom: x\r\n", .size = 2500, .attachments = 2,
                            .recipients = {"Bob", "Carol"}};
    feed(sunday);
    feed(MemoryItem{}); // Wednesday 15 June 2011 10:00, to Bob alone
    feed({.recipients = {}, .sender = ""});

    EXPECT_EQ(std::pair(state.lEmailsProcessed, state.lEmailsAnalysed), std::pair(4, 3));
    const PerItemArrays& items = state.items;
    EXPECT_EQ(items.vItemResponseMinutes[0], -1);
    EXPECT_EQ((std::vector{first(items.vItemHour, 4), first(items.vItemWords, 4), first(items.vItemSizeKB, 4),
                           first(items.vItemRecipients, 4)}),
              (std::vector<std::vector<int>>{{-1, 24, 11, 11}, {0, 3, 2, 2}, {0, 2, 2, 2}, {0, 2, 1, 0}}));
    EXPECT_EQ((std::array{items.vItemSender[0] == 0, items.vItemSender[1] == 0, items.vItemSender[3] == 0,
                          items.vItemReceiver[3] == 0}),
              (std::array{true, false, true, true}));
    // Buckets (Sunday's hour is 24, its weekday 7), then totals and the busiest day.
    EXPECT_EQ((std::vector<std::int64_t>{state.vHourCount(24), state.vWeekdayCount(7), state.vWeekdayCount(3),
                                         state.vMonthCount(6), state.vHourWords(24), state.vWeekdayRecipients(7),
                                         state.vMonthWithAtt(6), state.vHourOneToOne(11), state.vHourOneToOne(24)}),
              (std::vector<std::int64_t>{1, 1, 2, 3, 3, 2, 1, 1, 0}));
    EXPECT_EQ((std::vector<std::int64_t>{state.lOneToOneEmails, state.lTotalWords, state.lTotalSizeWithAttKB,
                                         state.lTotalSizeWoAttKB, state.dayCountMax,
                                         state.vDayCount[static_cast<std::size_t>(
                                             daysBetween(makeDate(1991, 1, 1), sunday.receivedTime))]}),
              (std::vector<std::int64_t>{1, 7, 2, 4, 2, 1}));
    EXPECT_EQ(std::pair(state.dFirstEmailDate, state.dLastEmailDate),
              std::pair(makeDate(2011, 6, 15, 10, 0, 0), sunday.receivedTime));
    using Top = std::vector<RankedCounter::Entry>;
    EXPECT_EQ(std::tuple(state.names.receivers.topK(10), state.names.senders.topK(10), prompts.shown.size()),
              std::tuple(Top{{"Bob", 2}}, Top{{"Alice", 2}}, 0u));
}

TEST_F(AnalysisTest, WordsCharactersOfTheOwnTextAndSizesRoundedHalfToEven)
{
    // The body, the size in bytes, the words, own characters and kilobytes.
    const std::tuple<const char*, std::int64_t, int, int, int> cases[] = {
        {"two  words", 999, 3, 10, 1},
        {" two words ", 499, 2, 11, 0},
        {"two\r\nwords", 1500, 1, 10, 2},
        {"   ", 2500, 1, 3, 2},
        {"mine From: theirs and more", 3500, 1, 5, 4},
        {"From: only quoted", 0, 1, 0, 0},
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", 2000, 2, 6, 2}, // été + emoji: 3 + 1 + 2 UTF-16 units
        {"", 2000, 0, 0, 2},
    };
    for (const auto& [body, bytes, words, chars, kb] : cases) {
        const std::int32_t charsBefore = state.lTotalChars, kbBefore = state.lTotalSizeKB;
        const std::size_t slot = feed({.body = body, .size = bytes});
        EXPECT_EQ(std::tuple(state.items.vItemWords[slot], state.lTotalChars - charsBefore,
                             state.items.vItemSizeKB[slot], state.lTotalSizeKB - kbBefore),
                  std::tuple(words, chars, kb, kb)) << body << bytes;
    }
}

// The user's filter ends at 00:00 of its To day; the fixed window from 1991
// ends at midnight after the run's start, never before 1 January 2021.
TEST(AnalysisWindow, FilterAndWindowBoundsAdmitExactlyTheirDays)
{
    const DateFilter june = DateFilter::fromState({true, "01/06/2011", "30/06/2011"});
    const DateFilter wide = DateFilter::fromState({true, "01/01/1980", "01/01/2030"});
    const DateValue today = makeDate(2026, 12, 6, 9, 0, 0), before2021 = makeDate(2019, 5, 1, 9, 0, 0);
    // The run's start (0: no run window set), the filter, the item's time and
    // whether it is analysed.
    const std::tuple<DateValue, DateFilter, DateValue, bool> cases[] = {
        {0, june, makeDate(2011, 6, 30, 9, 0, 0), false},
        {0, june, makeDate(2011, 6, 30), true},
        {0, june, makeDate(2011, 6, 1), true},
        {0, june, makeDate(2011, 5, 31, 23, 59, 59), false},
        {0, wide, makeDate(2021, 1, 1, 0, 0, 1), false},
        {0, wide, makeDate(1990, 12, 31, 23, 59, 59), false},
        {0, {}, makeDate(2021, 1, 1), true},
        {today, {}, makeDate(2026, 12, 7), true},
        {today, {}, makeDate(2026, 12, 7, 0, 0, 1), false},
        {today, {}, makeDate(1991, 1, 1), true},
        {today, {}, makeDate(1990, 12, 31, 23, 59, 59), false},
        {before2021, {}, makeDate(2021, 1, 1), true},
        {before2021, {}, makeDate(2021, 1, 1, 0, 0, 1), false},
    };
    for (const auto& [runStart, filter, received, analysed] : cases) {
        const std::string where = formatIsoTimestamp(received);
        test::Analysed a;
        if (runStart != 0)
            setRunWindow(a.state, runStart);
        a.feed({.receivedTime = received}, filter);
        // The window's last day has its cell: no error, and it is counted.
        EXPECT_EQ(std::tuple(a.state.lEmailsAnalysed, a.state.dayCountMax, a.prompts.shown.size()),
                  std::tuple(analysed ? 1 : 0, analysed ? 1 : 0, 0u)) << where;
        EXPECT_EQ(a.state.vDayCount.size(),
                  static_cast<std::size_t>(daysBetween(a.state.vWindowStart, a.state.vWindowEnd) + 1));
    }
}

TEST_F(AnalysisTest, AFailingStepIsReportedAndTheOtherStepsStillRun)
{
    feed({.attachments = 1, .failingValue = "size"});
    EXPECT_EQ(std::tuple(state.lEmailsAnalysed, state.lTotalSizeKB, state.vHourWithAtt(11)), std::tuple(1, 0, 1));
    // A subject that cannot be read counts as a reply.
    feed({.body = "Sent: 15 June 2011 08:00\r\n", .failingValue = "subject"});
    EXPECT_EQ(state.lResponseCount, 1);
    ProcessMessage(state, nullptr, {}, prompts); // the store could not deliver the item
    state.lTotalWords = INT32_MAX - 1;
    feed({.body = "a b c"}); // an overflow is reported, not wrapped
    EXPECT_EQ(std::tuple(state.lTotalWords, state.lEmailsProcessed, state.lEmailsAnalysed),
              std::tuple(INT32_MAX - 1, 4, 3));
    const std::string error = "BRISK Vezoriv Rizovave: Error in ProcessMessage: lEmailsProcessed = ";
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{error + "1", error + "2", error + "4"}));
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rireviru");
}

TEST_F(AnalysisTest, PerItemArraysStartAtTheFolderCountPlusTwentyPercentAndGrow)
{
    const std::pair<double, std::int64_t> cases[] = {{100, 120}, {5, 6}, {1, 1}, {0, 1}, {-3, 1}};
    for (auto [count, capacity] : cases) {
        PrepareAnalysisArrays(state, count);
        EXPECT_EQ(state.items.capacity(), capacity) << count;
        EXPECT_EQ(state.items.vItemResponseMinutes.back(), -1);
    }
    for (int i = 0; i < 50; ++i)
        feed(MemoryItem{});
    EXPECT_EQ(state.lEmailsAnalysed, 50);
    EXPECT_EQ(state.items.vItemHour[49], 11);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(ReplySubject, ReOrFwAnywhereInAnyCase)
{
    const std::pair<const char*, bool> cases[] = {{"RE: budget", true}, {"re: budget", true}, {"Fwd: note", true},
                                                  {"halfway there", true}, {"Reply", false},   {"Re budget", false},
                                                  {"", false}};
    for (const auto& [subject, reply] : cases)
        EXPECT_EQ(isReplyOrForward(subject), reply) << subject;
}

class ReplyRulesTest : public AnalysisTest {
protected:
    ReplyRulesTest()
    {
        // An id seen twice keeps its earlier time; an empty id is no id.
        for (auto [id, hour] : {std::pair{"parent@x", 9}, {"parent@x", 8}, {"late@x", 12}, {"ref@x", 7}, {"ref@x", 9},
                                {"", 9}})
            index.add(id, makeDate(2015, 1, 5, hour));
        index.seal();
    }
    // The response minutes the reply gets (-1: none) and the rule that gave them.
    std::pair<int, int> reply(const std::string& body, std::vector<std::string> inReplyTo = {},
                              std::vector<std::string> references = {}, const char* subject = "Re: plan")
    {
        const auto before = state.responseSources;
        const std::size_t slot = feed({.receivedTime = makeDate(2015, 1, 5, 10), .subject = subject, .body = body,
                                       .inReplyTo = inReplyTo, .references = references}, {}, &index);
        int rule = -1;
        for (std::size_t r = 0; r < 3; ++r)
            rule = state.responseSources[r] != before[r] ? static_cast<int>(r) : rule;
        return {state.items.vItemResponseMinutes[slot], rule};
    }
    ThreadIndex index;
};

TEST_F(ReplyRulesTest, SentLineThenThreadingThenAttributionAndAbsurdDatesAreNoEvidence)
{
    const std::string sent = "-----Original Message-----\r\nFrom: Ann\r\nSent: 5 January 2015 08:30\r\nTo: Al\r\n"
                             "From: Carol\r\nSent: 4 January 2015 08:30\r\n";
    const std::string attribution = "On 5 Jan 2015 at 09:45, Ann wrote:\r\n> hi\r\n";
    // The body, In-Reply-To, References, the response minutes and the rule.
    using Ids = std::vector<std::string>;
    const std::tuple<std::string, Ids, Ids, int, int> cases[] = {
        {"ok\r\n" + sent + attribution, {"parent@x"}, {}, 90, 0},     // the first "Sent: " line
        {"ok\r\n" + attribution, {"parent@x"}, {}, 120, 1},
        {"ok\r\n" + attribution, {}, {}, 15, 2},
        {"ok\r\n" + attribution, {"unknown@x"}, {}, 15, 2},           // parent not in the store
        {"ok\r\n", {"unknown@x"}, {}, -1, -1},
        {"ok\r\n", {}, {"first@x", "ref@x"}, 180, 1},                  // the last References entry
        {"ok\r\n" + attribution, {"late@x"}, {}, 15, 2},              // parent later than the reply
        {"Sent: 5 January 0000 09:30\r\n", {"parent@x"}, {}, 120, 1}, // year 0000
        {"Sent: 5 January 1990 09:30\r\n", {}, {}, -1, -1},            // before the window
        {"Sent: 6 January 2015 10:01\r\n", {}, {}, -1, -1},            // after the reply by more than a day
        {"Sent: 6 January 2015 09:30\r\n", {}, {}, -1410, 0},          // later, within a day
        {"Sent: Monday, January 5, 2015 10:45 AM\r\n", {}, {}, -45, 0},
        {"On 9 Jan 2015 at 09:45, Ann wrote:\r\n", {}, {}, -1, -1},
        {"Sent: yesterday afternoon\r\n", {}, {}, -1, -1},
        {"Sent: 5 January 2015 08:30", {}, {}, -1, -1}, // no line feed after it
        {"sent: 5 January 2015 08:30\r\n", {}, {}, -1, -1},
        {"Sent:5 January 2015 08:30\r\n", {}, {}, -1, -1},
        {"Sent:\t5 January 2015 08:30\r\n", {}, {}, -1, -1},
    };
    for (const auto& [body, inReplyTo, references, minutes, rule] : cases)
        EXPECT_EQ(reply(body, inReplyTo, references), std::make_pair(minutes, rule)) << body;
    EXPECT_EQ(state.items.vItemResponseHours[0], 2); // hour boundaries crossed from 08:30 to 10:00
    EXPECT_EQ(reply("ok\r\n", {"parent@x"}, {}, "plan"), std::make_pair(-1, -1)) << "only replies are timed";
    EXPECT_EQ(std::tuple(state.lResponseCount, state.responseSources, index.size(), prompts.shown.size()),
              std::tuple(9, std::array<std::int32_t, 3>{3, 3, 3}, 3u, 0u));
}

TEST(OwnText, EndsAtTheFirstOfFromAttributionAndQuotedLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"mine\r\nFrom: Bob\r\n> old\r\n", "mine\r\n"},
        {"mine\r\n> quoted\r\nFrom: Bob\r\n", "mine\r\n"},
        {"> quoted first\r\nmine", ""},
        {"mine\r\nOn 5 Jan 2015 at 10:00, Ann wrote:\r\n> q\r\n", "mine\r\n"},
        {"mine\r\nAm 05.01.2015 um 10:00 schrieb Ann:\r\nFrom: x", "mine\r\n"},
        {"a > b and c\r\nmore", "a > b and c\r\nmore"},
        {"mine\r\nOn Monday, Ann wrote:\r\nrest", "mine\r\nOn Monday, Ann wrote:\r\nrest"},
    };
    for (const auto& [body, own] : cases)
        EXPECT_EQ(ownText(body), own) << body;
}

TEST(BodyScanner, AgreesWithTheWholeTextRulesForEveryChunking)
{
    const std::string overlong(5000, 'y');
    const std::string cases[] = {
        "", "   two  words   ", "mine\r\nFrom: Bob\r\n> old\r\n", "> quoted first\r\nmine", "FroFrom: x",
        "Fro\nm: not a From", "text\r\nSent: Monday, January 5, 2015 10:00 AM\r\nTo: x",
        "SSent: 5 Jan 2015 10:00\r\n",
        "Sent: 5 Jan 2015 10:00 Sent: 6 Jan 2015\r\n", "Sent: 5 Jan 2015 10:00\r\nSent: 6 Jan 2015 11:00\r\n",
        "Sent: 5 Jan 2015 10:00", "Sent: " + overlong + "\r\n",
        "mine\r\nAm 05.01.2015 um 10:00 schrieb Ann:\r\nFrom: x",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann Example\r\n<ann@example.org>\r\nwrote:\r\n\r\n> q",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann\r\n" + overlong + "\r\nwrote:\r\n",
        "On Mon, Jan 5, 2015 at 10:00 AM, Ann wrote:",
        "x\r\nOn Monday, Ann wrote:\r\nOn 5 Jan 2015 at 10:00, Bob wrote:\r\n",
        "> On 5 Jan 2015 at 10:00, Bob wrote:\r\nmine From: z",
        "Le 5 janv. 2015 \xC3\xA0 10:00, Ann a \xC3\xA9" "crit :\xC2\xA0\r\n",
        "bad \xE2\x82 \xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80 \xFF\xF0\x9F\x98", "cut \xE2\x82" "From: z",
        "lone\rCR\r\r\nand LF\n\n>q", overlong + "\r\nFrom: x",
        "            \xC3\xA9   more than eight bytes   \xF0\x9F\x98\x80\xE2\x82\xAC            ", "                ",
        "Sent: 5 Jan 2015 10:00\rmine\nOn 5 Jan 2015 at 10:00, Bob\rwrote:\n> q\r", "\r\n\r\r\n\n\r",
    };
    std::mt19937 random(11);
    for (const std::string& body : cases)
        for (const std::size_t maxChunk : {std::size_t{1}, std::size_t{3}, std::size_t{17}, body.size() + 1})
            for (int round = 0; round < 8; ++round)
                test::expectRulesAgree(mailstore::toCrLf(body), test::scanInChunks(body, random, maxChunk),
                                       body.substr(0, 60));
}

} // namespace
} // namespace brisk
