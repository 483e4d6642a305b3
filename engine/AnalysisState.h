#pragma once
// The analysis state: everything a run has measured. Field names are the
// program's fixed names; the message analysis is their only writer during a
// run, the results panel adds the derived averages, the export only reads.

#include "engine/Checked.h"
#include "dates/DateValue.h"
#include "stats/LiveStats.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisk {

class MailFolder;

// A distribution with 1-based buckets 1..N (hour 1..24 = hour of day + 1,
// weekday 1..7 with Monday = 1, month 1..12).
template <int N, typename T = std::int32_t>
struct Buckets {
    static constexpr int lower = 1;
    static constexpr int upper = N;
    std::array<T, N> cells{};

    T& operator()(int index)
    {
        if (index < lower || index > upper)
            throw std::out_of_range("bucket index out of range");
        return cells[static_cast<std::size_t>(index - lower)];
    }
    T operator()(int index) const { return const_cast<Buckets&>(*this)(index); }
    void fill(T value) { cells.fill(value); }
};

template <int N>
using PercentBuckets = Buckets<N, double>;

// The parallel per-item arrays, indexed by item slot (0-based). They grow on
// demand, so no item of a subfolder is ever lost for want of a slot; the
// first size comes from the picked folder's item count plus 20%.
struct PerItemArrays {
    bool exists = false;
    std::vector<std::int8_t> vItemHour, vItemWeekday, vItemMonth;        // fill -1
    std::vector<std::int32_t> vItemResponseHours, vItemResponseMinutes;  // fill -1
    std::vector<std::int32_t> vItemWords, vItemSizeKB;                   // fill 0
    std::vector<std::int32_t> vItemAttachments, vItemRecipients;         // fill 0
    // Name ids of the run's name pools (0 = the empty text).
    std::vector<std::uint32_t> vItemSender, vItemReceiver;
    // Whether the slot holds a response time: a real response time of -1
    // minute cannot be told from the fill value otherwise.
    std::vector<bool> responded;

    // Upper bound ("0 To capacity").
    std::int64_t capacity() const { return static_cast<std::int64_t>(vItemHour.size()) - 1; }
    void recreate(std::int64_t capacity);
    // Makes sure the slot exists, growing every array alike.
    void ensureSlot(std::int64_t slot);
    void erase();
};

// Names seen as sender or first recipient, with their counts kept in rank
// order, so the top lists cost O(log n) per item.
struct NameCounts {
    RankedCounter senders;
    RankedCounter receivers;
};

struct AnalysisState {
    // Counters and totals.
    std::int32_t lEmailsProcessed = 0;
    std::int32_t lEmailsAnalysed = 0;
    std::int32_t lResponseCount = 0;
    std::int32_t lOneToOneEmails = 0;
    std::int32_t lTotalChars = 0;
    std::int32_t lTotalWords = 0;
    std::int32_t lTotalSizeKB = 0;
    std::int32_t lTotalSizeWithAttKB = 0;
    std::int32_t lTotalSizeWoAttKB = 0;

    // Response times found by each rule: the quoted "Sent: " line, the
    // threading headers, the attribution line (ResponseSource order).
    std::array<std::int32_t, 3> responseSources{};

    // Date bounds. The window starts on 1 January 1991 and ends at 00:00 of
    // the day after the run's start (never before 1 January 2021), so mail
    // of today counts and mail dated in the future by a wrong clock does not.
    DateValue dFirstEmailDate = kFirstDateSentinel();
    DateValue dLastEmailDate = kLastDateSentinel();
    DateValue vWindowStart = makeDate(1991, 1, 1);
    DateValue vWindowEnd = kEarliestWindowEnd();

    // Distributions.
    Buckets<24> vHourCount, vHourWords, vHourWithAtt, vHourRecipients, vHourOneToOne;
    Buckets<7> vWeekdayCount, vWeekdayWords, vWeekdayWithAtt, vWeekdayRecipients, vWeekdayOneToOne;
    Buckets<12> vMonthCount, vMonthWords, vMonthWithAtt, vMonthRecipients, vMonthOneToOne;
    PercentBuckets<24> vHourPercent;
    PercentBuckets<7> vWeekdayPercent;
    PercentBuckets<12> vMonthPercent;

    // Per-day counts: cell d is the day d calendar days after vWindowStart.
    // It covers every day the window admits, vWindowEnd's day included.
    std::vector<std::int32_t> vDayCount = std::vector<std::int32_t>(kDayCells, 0);

    PerItemArrays items;

    // Derived averages written by the results panel.
    double vAvgEmailChars = 0;
    double vAvgSizeWithAttKB = 0;
    double vAvgSizeWoAttKB = 0;

    // Live structures beside the fixed fields: the largest cell of vDayCount,
    // the response times for the median, the names for the top lists.
    std::int32_t dayCountMax = 0;
    RunningMedian responseMinutes;
    NameCounts names;

    static constexpr std::size_t kDayCells = 10959;
    static DateValue kEarliestWindowEnd() { return makeDate(2021, 1, 1); }
    static DateValue kFirstDateSentinel() { return makeDate(3001, 1, 1); }
    static DateValue kLastDateSentinel() { return makeDate(1001, 1, 1); }
};

// The run position and run control values.
struct RunPosition {
    MailFolder* lastFolderAnalysed = nullptr;
    long lastMessageIndexAnalysed = 0;
    // Where lastFolderAnalysed lies in the run: the folder the run started
    // from, and the position of each subfolder on the way down among its
    // parent's subfolders. Resume goes on from there with the folders the
    // walk had not reached yet.
    MailFolder* runRoot = nullptr;
    std::vector<std::size_t> folderPath;
    bool vExitRequested = false;
    long vLabelRefreshInterval = 1;
    long vTopListRefreshPercent = 1;
};

// The statistics part of the panel's reset: counters, totals, day counts,
// item-count distributions, the date bounds, and the live structures.
void resetStatistics(AnalysisState& state);

// Ends the date window at 00:00 of the day after `runStart` (at the earliest
// on 1 January 2021) and sizes vDayCount to cover it. Called by Start.
void setRunWindow(AnalysisState& state, DateValue runStart);

// Recreates the per-item arrays from the capacity source's number (the
// picked folder's item count) and zeroes the distributions.
void PrepareAnalysisArrays(AnalysisState& state, double capacitySource);

// Erases the per-item arrays when they exist (shutdown).
void EraseAnalysisArrays(AnalysisState& state);

} // namespace brisk
