// The analysis of one item: what each step adds to the state, and how a
// failing step is reported while the analysis goes on.

#include "engine/MessageAnalysis.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::RecordingPrompts;

class ProcessMessageTest : public ::testing::Test {
protected:
    ProcessMessageTest() { PrepareAnalysisArrays(state, 10); }

    void feed(MemoryItem data, const DateFilter& filter = {})
    {
        folder.items = {std::move(data)};
        auto item = folder.item(1);
        ProcessMessage(state, item.get(), filter, prompts);
    }
    std::int64_t lastSlot() const { return state.lEmailsProcessed - 1; }

    AnalysisState state;
    RecordingPrompts prompts;
    MemoryFolder folder{"Sent Items", nullptr};
};

TEST_F(ProcessMessageTest, OnlyMailItemsAreAnalysedButEveryItemTakesASlot)
{
    MemoryItem meeting;
    meeting.typeName = "MeetingItem";
    feed(meeting);
    feed(MemoryItem{});
    EXPECT_EQ(state.lEmailsProcessed, 2);
    EXPECT_EQ(state.lEmailsAnalysed, 1);
    EXPECT_EQ(state.items.vItemHour[0], -1);
    EXPECT_EQ(state.items.vItemResponseMinutes[0], -1);
    EXPECT_EQ(state.items.vItemWords[0], 0);
    EXPECT_EQ(state.items.vItemSender[0], 0u);
    EXPECT_EQ(state.items.vItemHour[1], 11); // 10:00 is hour index 11
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ProcessMessageTest, UserFilterEndsAtTheStartOfTheToDay)
{
    const DateFilter filter = DateFilter::fromState({true, "01/06/2011", "30/06/2011"});
    MemoryItem item;
    item.receivedTime = makeDate(2011, 6, 30, 9, 0, 0);
    feed(item, filter);
    EXPECT_EQ(state.lEmailsAnalysed, 0);
    item.receivedTime = makeDate(2011, 6, 30);
    feed(item, filter);
    item.receivedTime = makeDate(2011, 6, 1);
    feed(item, filter);
    item.receivedTime = makeDate(2011, 5, 31, 23, 59, 59);
    feed(item, filter);
    EXPECT_EQ(state.lEmailsProcessed, 4);
    EXPECT_EQ(state.lEmailsAnalysed, 2);
}

TEST_F(ProcessMessageTest, FixedWindowAppliesWhateverTheUserFilterSays)
{
    const DateFilter wide = DateFilter::fromState({true, "01/01/1980", "01/01/2030"});
    MemoryItem item;
    for (DateValue d : {makeDate(2021, 1, 1, 0, 0, 1), makeDate(1990, 12, 31, 23, 59, 59)}) {
        item.receivedTime = d;
        feed(item, wide);
        feed(item);
    }
    EXPECT_EQ(state.lEmailsAnalysed, 0);
    // The window's last instant and the last days of 2020 are counted without error.
    for (DateValue d : {makeDate(2021, 1, 1), makeDate(2020, 12, 25, 12, 0, 0), makeDate(2020, 12, 31, 23, 0, 0)}) {
        item.receivedTime = d;
        feed(item);
    }
    EXPECT_EQ(state.lEmailsAnalysed, 3);
    EXPECT_EQ(state.vDayCount.back(), 1);
    EXPECT_EQ(state.dayCountMax, 1);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(ProcessMessageTest, FirstAnalysedItemSetsBothDateBounds)
{
    EXPECT_GT(state.dFirstEmailDate, state.dLastEmailDate);
    MemoryItem item;
    item.receivedTime = makeDate(2012, 3, 4, 5, 6, 7);
    feed(item);
    EXPECT_EQ(state.dFirstEmailDate, item.receivedTime);
    EXPECT_EQ(state.dLastEmailDate, item.receivedTime);
}

TEST_F(ProcessMessageTest, BucketsFollowHourWeekdayMonthAndDay)
{
    MemoryItem item;
    item.receivedTime = makeDate(2011, 6, 19, 23, 30, 0); // a Sunday
    item.body = "one two three";
    item.recipients = {"Bob", "Carol"};
    item.attachments = 2;
    feed(item);
    EXPECT_EQ(state.vHourCount(24), 1);
    EXPECT_EQ(state.vWeekdayCount(7), 1);
    EXPECT_EQ(state.vMonthCount(6), 1);
    EXPECT_EQ(state.vHourWords(24), 3);
    EXPECT_EQ(state.vWeekdayRecipients(7), 2);
    EXPECT_EQ(state.vMonthWithAtt(6), 1);
    EXPECT_EQ(state.vMonthOneToOne(6), 0);
    EXPECT_EQ(state.vDayCount[static_cast<std::size_t>(daysBetween(makeDate(1991, 1, 1), item.receivedTime))], 1);
}

TEST_F(ProcessMessageTest, ReplyAndForwardSubjects)
{
    struct Case {
        const char* subject;
        bool reply;
    } cases[] = {
        {"RE: budget", true}, {"re: budget", true},  {"Fwd: note", true}, {"FW: x", true},
        {"halfway there", true}, {"Reply", false},   {"Re budget", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isReplyOrForward(c.subject), c.reply) << c.subject;
}

TEST_F(ProcessMessageTest, ResponseTimeComesFromTheFirstQuotedSentLine)
{
    MemoryItem item;
    item.subject = "RE: plan";
    item.receivedTime = makeDate(2011, 6, 15, 10, 0, 0);
    item.body = "ok\r\n-----Original Message-----\r\nFrom: Bob\r\nSent: 15 June 2011 08:30\r\nTo: Alex\r\n"
                "From: Carol\r\nSent: 14 June 2011 08:30\r\n";
    feed(item);
    EXPECT_EQ(state.lResponseCount, 1);
    EXPECT_EQ(state.items.vItemResponseMinutes[0], 90);
    EXPECT_EQ(state.items.vItemResponseHours[0], 2);
}

TEST_F(ProcessMessageTest, SentLinesThatGiveNoResponseTime)
{
    const char* bodies[] = {
        "From: Bob\r\nSent: yesterday afternoon\r\n", // not a date
        "From: Bob\r\nSent: 15 June 2011 08:30",      // no line feed after it
        "From: Bob\r\nsent: 15 June 2011 08:30\r\n",  // lower case
        "From: Bob\r\nSent:15 June 2011 08:30\r\n",   // no blank
        "From: Bob\r\nSent:\t15 June 2011 08:30\r\n", // a tab
    };
    for (const char* body : bodies) {
        MemoryItem item;
        item.subject = "RE: x";
        item.body = body;
        feed(item);
        EXPECT_EQ(state.items.vItemResponseMinutes[static_cast<std::size_t>(lastSlot())], -1) << body;
    }
    EXPECT_EQ(state.lResponseCount, 0);
    EXPECT_EQ(state.lEmailsAnalysed, 5);
}

TEST_F(ProcessMessageTest, QuotedTimeLaterThanReceivedGivesNegativeMinutes)
{
    MemoryItem item;
    item.subject = "FW: x";
    item.receivedTime = makeDate(2011, 6, 15, 10, 0, 0);
    item.body = "Sent: Wednesday, June 15, 2011 10:45 AM\r\n";
    feed(item);
    EXPECT_EQ(state.items.vItemResponseMinutes[0], -45);
    EXPECT_EQ(state.responseMinutes.median(), -45);
}

TEST_F(ProcessMessageTest, WordsAndCharactersOfTheOwnText)
{
    struct Case {
        const char* body;
        int words;
        int chars;
    } cases[] = {
        {"two  words", 3, 10},
        {" two words ", 2, 11},
        {"two\r\nwords", 1, 10},
        {"   ", 1, 3},
        {"mine From: theirs and more", 1, 5},
        {"From: only quoted", 1, 0},
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", 2, 6}, // été + emoji: 3 + 1 + 2 UTF-16 units
    };
    for (const auto& c : cases) {
        const std::int32_t before = state.lTotalChars;
        MemoryItem item;
        item.body = c.body;
        feed(item);
        EXPECT_EQ(state.items.vItemWords[static_cast<std::size_t>(lastSlot())], c.words) << c.body;
        EXPECT_EQ(state.lTotalChars - before, c.chars) << c.body;
    }
}

TEST_F(ProcessMessageTest, EmptyBodyCountsNoCharactersAndLeavesTheWordSlot)
{
    MemoryItem item;
    item.body = "";
    feed(item);
    EXPECT_EQ(state.items.vItemWords[0], 0);
    EXPECT_EQ(state.lTotalWords, 0);
    EXPECT_EQ(state.lTotalChars, 0);
}

TEST_F(ProcessMessageTest, SizeInKilobytesRoundsHalvesToEven)
{
    const std::pair<std::int64_t, int> cases[] = {{999, 1}, {499, 0}, {1500, 2}, {2500, 2}, {3500, 4}, {0, 0}};
    for (auto [bytes, kb] : cases) {
        MemoryItem item;
        item.size = bytes;
        feed(item);
        EXPECT_EQ(state.items.vItemSizeKB[static_cast<std::size_t>(lastSlot())], kb) << bytes;
    }
    EXPECT_EQ(state.lTotalSizeKB, 9);
}

TEST_F(ProcessMessageTest, AttachmentsSplitTheSizeTotals)
{
    MemoryItem with;
    with.size = 5000;
    with.attachments = 1;
    MemoryItem without;
    without.size = 2000;
    feed(with);
    feed(without);
    EXPECT_EQ(state.lTotalSizeWithAttKB, 5);
    EXPECT_EQ(state.lTotalSizeWoAttKB, 2);
}

TEST_F(ProcessMessageTest, RecipientsOneToOneAndNames)
{
    MemoryItem single;
    single.recipients = {"Bob"};
    MemoryItem none;
    none.recipients = {};
    none.sender = "";
    feed(single);
    feed(none);
    EXPECT_EQ(state.lOneToOneEmails, 1);
    EXPECT_EQ(state.items.vItemRecipients[1], 0);
    EXPECT_EQ(state.items.vItemReceiver[1], 0u);
    EXPECT_EQ(state.items.vItemSender[1], 0u);
    EXPECT_NE(state.items.vItemSender[0], 0u);
    const auto top = state.names.receivers.topK(10);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].name, "Bob");
}

TEST_F(ProcessMessageTest, FailingValueIsReportedAndTheRestIsAnalysed)
{
    MemoryItem item;
    item.failingValue = "size";
    item.attachments = 1;
    feed(item);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "BRISK Vezoriv Rizovave: Error in ProcessMessage: lEmailsProcessed = 1");
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rireviru");
    EXPECT_EQ(state.lEmailsAnalysed, 1);
    EXPECT_EQ(state.lTotalSizeKB, 0);
    EXPECT_EQ(state.vHourWithAtt(11), 1);
}

TEST_F(ProcessMessageTest, FailingSubjectTestCountsAsAReply)
{
    MemoryItem item;
    item.failingValue = "subject";
    item.body = "Sent: 15 June 2011 08:00\r\n";
    feed(item);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(state.lResponseCount, 1);
}

TEST_F(ProcessMessageTest, MissingItemIsProcessedButNotAnalysed)
{
    ProcessMessage(state, nullptr, {}, prompts);
    EXPECT_EQ(state.lEmailsProcessed, 1);
    EXPECT_EQ(state.lEmailsAnalysed, 0);
}

TEST_F(ProcessMessageTest, CounterOverflowIsReportedNotWrapped)
{
    state.lTotalWords = INT32_MAX - 1;
    MemoryItem item;
    item.body = "a b c";
    feed(item);
    EXPECT_EQ(state.lTotalWords, INT32_MAX - 1);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(state.lEmailsAnalysed, 1);
}

TEST_F(ProcessMessageTest, PerItemArraysGrowBeyondTheirFirstCapacity)
{
    PrepareAnalysisArrays(state, 0); // capacity 1: slots 0 and 1
    EXPECT_EQ(state.items.capacity(), 1);
    for (int i = 0; i < 50; ++i)
        feed(MemoryItem{});
    EXPECT_EQ(state.lEmailsAnalysed, 50);
    EXPECT_EQ(state.items.vItemHour[49], 11);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(PrepareAnalysisArrays, CapacityIsTheFolderCountPlusTwentyPercent)
{
    const std::pair<double, std::int64_t> cases[] = {{100, 120}, {5, 6}, {1, 1}, {0, 1}, {-3, 1}};
    for (auto [count, capacity] : cases) {
        AnalysisState state;
        PrepareAnalysisArrays(state, count);
        EXPECT_EQ(state.items.capacity(), capacity) << count;
        EXPECT_EQ(state.items.vItemResponseMinutes.back(), -1);
    }
}

} // namespace
} // namespace brisk
