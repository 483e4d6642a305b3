#include "engine/MessageAnalysis.h"

#include "engine/BodyScanner.h"
#include "engine/MailStore.h"
#include "engine/Services.h"
#include "engine/StepGuard.h"
#include "engine/ThreadIndex.h"
#include "dates/DateText.h"
#include "stats/Rounding.h"

#include <algorithm>
#include <exception>

namespace brisk {
namespace {

bool containsIgnoringCase(std::string_view text, std::string_view needle)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

std::uint32_t countName(RankedCounter& counter, const std::string& name)
{
    // Slots hold id + 1, so that 0 stays the empty text.
    const std::uint32_t id = counter.intern(name);
    counter.add(id);
    return id + 1;
}

struct ItemTime {
    int h = 0, w = 0, m = 0;
};

template <typename Array>
auto& slotOf(Array& array, std::int64_t slot)
{
    if (slot < 0 || slot >= static_cast<std::int64_t>(array.size()))
        throw std::out_of_range("item slot out of range");
    return array[static_cast<std::size_t>(slot)];
}

// The body, read once per item in a stream for the response time and the own
// text. A body that cannot be read fails every step that asks for it.
class BodyReading {
public:
    explicit BodyReading(const DateLocale& locale) : m_locale(locale) {}

    const BodyFacts& facts(MailItem& item) { return m_measure.facts(item, m_locale); }

private:
    const DateLocale& m_locale;
    BodyMeasure m_measure;
};

// Words (not for an empty body) and characters of the item's own text.
void recordOwnText(AnalysisState& s, const StepGuard& step, std::int64_t slot, const ItemTime& t,
                   const BodyFacts& body)
{
    if (!body.empty) {
        step([&] { slotOf(s.items.vItemWords, slot) = toCounter(body.ownWords); });
        step([&] {
            const std::int32_t words = slotOf(s.items.vItemWords, slot);
            checkedAdd(s.lTotalWords, words);
            checkedAdd(s.vHourWords(t.h), words);
            checkedAdd(s.vWeekdayWords(t.w), words);
            checkedAdd(s.vMonthWords(t.m), words);
        });
    }
    step([&] { checkedAdd(s.lTotalChars, body.ownUtf16Length); });
}

// The hour, weekday and month buckets of the received time.
ItemTime recordTimeBuckets(AnalysisState& s, const StepGuard& step, std::int64_t slot, DateValue d)
{
    ItemTime t;
    const DateParts parts = splitDate(d);
    t.h = parts.hour + 1;
    t.w = weekdayOf(d);
    t.m = parts.month;
    step([&] { checkedAdd(s.vHourCount(t.h), 1); });
    step([&] { checkedAdd(s.vWeekdayCount(t.w), 1); });
    step([&] { checkedAdd(s.vMonthCount(t.m), 1); });
    step([&] { slotOf(s.items.vItemHour, slot) = static_cast<std::int8_t>(t.h); });
    step([&] { slotOf(s.items.vItemWeekday, slot) = static_cast<std::int8_t>(t.w); });
    step([&] { slotOf(s.items.vItemMonth, slot) = static_cast<std::int8_t>(t.m); });
    return t;
}

// Size in KB (halves to even) and attachments.
void recordSizeAndAttachments(AnalysisState& s, const StepGuard& step, std::int64_t slot, const ItemTime& t,
                              MailItem& item)
{
    auto at = [&](auto& array) -> auto& { return slotOf(array, slot); };
    step([&] {
        at(s.items.vItemSizeKB) = toCounter(static_cast<std::int64_t>(roundHalfEven(item.size() / 1000.0)));
    });
    step([&] { checkedAdd(s.lTotalSizeKB, at(s.items.vItemSizeKB)); });
    step([&] { at(s.items.vItemAttachments) = item.attachmentCount(); });
    step([&] {
        if (at(s.items.vItemAttachments) > 0) {
            step([&] { checkedAdd(s.vHourWithAtt(t.h), 1); });
            step([&] { checkedAdd(s.vWeekdayWithAtt(t.w), 1); });
            step([&] { checkedAdd(s.vMonthWithAtt(t.m), 1); });
            step([&] { checkedAdd(s.lTotalSizeWithAttKB, at(s.items.vItemSizeKB)); });
        } else {
            step([&] { checkedAdd(s.lTotalSizeWoAttKB, at(s.items.vItemSizeKB)); });
        }
    });
}

// Recipients, and one-to-one mail.
void recordRecipients(AnalysisState& s, const StepGuard& step, std::int64_t slot, const ItemTime& t, MailItem& item)
{
    auto at = [&](auto& array) -> auto& { return slotOf(array, slot); };
    step([&] { at(s.items.vItemRecipients) = toCounter(static_cast<std::int64_t>(item.recipients().size())); });
    step([&] {
        const std::int32_t count = at(s.items.vItemRecipients);
        step([&] { checkedAdd(s.vHourRecipients(t.h), count); });
        step([&] { checkedAdd(s.vWeekdayRecipients(t.w), count); });
        step([&] { checkedAdd(s.vMonthRecipients(t.m), count); });
        if (count == 1) {
            step([&] { checkedAdd(s.lOneToOneEmails, 1); });
            step([&] { checkedAdd(s.vHourOneToOne(t.h), 1); });
            step([&] { checkedAdd(s.vWeekdayOneToOne(t.w), 1); });
            step([&] { checkedAdd(s.vMonthOneToOne(t.m), 1); });
        }
    });
}

// Sender and first recipient, counted by name for the top lists.
void recordNames(AnalysisState& s, const StepGuard& step, std::int64_t slot, MailItem& item)
{
    auto at = [&](auto& array) -> auto& { return slotOf(array, slot); };
    step([&] {
        const std::string& sender = item.senderName();
        at(s.items.vItemSender) = sender.empty() ? 0 : countName(s.names.senders, sender);
    });
    step([&] {
        if (at(s.items.vItemRecipients) > 0) {
            const std::string& receiver = item.recipients().front();
            at(s.items.vItemReceiver) = receiver.empty() ? 0 : countName(s.names.receivers, receiver);
        }
    });
}

// Every item counts as processed and owns the next slot.
std::int64_t countProcessed(AnalysisState& s, const StepGuard& step)
{
    step([&] { checkedAdd(s.lEmailsProcessed, 1); });
    const std::int64_t slot = static_cast<std::int64_t>(s.lEmailsProcessed) - 1;
    step([&] { s.items.ensureSlot(slot); });
    return slot;
}

// Only mail items are analysed; an item the store could not deliver is none.
// A failing type test stops here too.
bool isMailItem(MailItem* item, const StepGuard& step)
{
    try {
        return item && item->typeName() == "MailItem";
    } catch (const std::exception&) {
        step.report();
        return false;
    }
}

// The received time, when it lies in the user's period and the fixed window.
std::optional<DateValue> receivedInPeriod(const AnalysisState& s, const StepGuard& step, MailItem& item,
                                          const DateFilter& filter)
{
    DateValue d = 0;
    step([&] { d = item.receivedTime(); });
    if (filter.active && step.test([&] {
            if (!filter.from || !filter.to)
                throw std::invalid_argument("date filter text is not a date");
            return d < *filter.from || d > *filter.to;
        }))
        return std::nullopt;
    if (d < s.vWindowStart || d > s.vWindowEnd)
        return std::nullopt;
    return d;
}

void recordDateBounds(AnalysisState& s, DateValue d)
{
    if (d < s.dFirstEmailDate)
        s.dFirstEmailDate = d;
    if (d > s.dLastEmailDate)
        s.dLastEmailDate = d;
}

// The calendar day's count, and the busiest day's.
void recordDay(AnalysisState& s, const StepGuard& step, DateValue d)
{
    step([&] {
        const std::int64_t dd = daysBetween(s.vWindowStart, d);
        auto& cell = s.vDayCount.at(static_cast<std::size_t>(dd));
        checkedAdd(cell, 1);
        s.dayCountMax = std::max(s.dayCountMax, cell);
    });
}

// A reply or forward: the response time by the first rule that gives one.
void recordReply(AnalysisState& s, const StepGuard& step, std::int64_t slot, DateValue d, MailItem& item,
                 BodyReading& body, const ReplyThreads& threads)
{
    if (!step.test([&] { return isReplyOrForward(item.subject()); }))
        return;
    step([&] {
        const BodyFacts& facts = body.facts(item);
        if (auto response = responseTimeOf(item, d, s.vWindowStart, threads, facts.quotedSent, facts.attribution, slot))
            recordResponseTime(s, slot, *response, d);
    });
}

} // namespace

// A reply's result: the response time in whole hours and minutes, counted by
// the rule that found it, and kept for the median.
void recordResponseTime(AnalysisState& s, std::int64_t slot, const ResponseTime& response, DateValue d)
{
    checkedAdd(s.lResponseCount, 1);
    checkedAdd(s.responseSources.at(static_cast<std::size_t>(response.source)), 1);
    const std::int32_t minutes = toCounter(minutesBetween(response.sent, d));
    slotOf(s.items.vItemResponseHours, slot) = toCounter(hoursBetween(response.sent, d));
    slotOf(s.items.vItemResponseMinutes, slot) = minutes;
    s.items.responded[static_cast<std::size_t>(slot)] = true;
    s.responseMinutes.insert(minutes);
}

DateFilter DateFilter::fromState(const DateFilterState& state, const DateLocale& locale)
{
    DateFilter filter;
    filter.locale = locale;
    filter.active = state.DateFilterRadio;
    if (filter.active) {
        if (auto from = parseDateText(state.FromDatePickerText, locale.order))
            filter.from = datePart(*from);
        if (auto to = parseDateText(state.ToDatePickerText, locale.order))
            filter.to = datePart(*to);
    }
    return filter;
}

bool isReplyOrForward(const std::string& subject)
{
    return containsIgnoringCase(subject, "re:") || containsIgnoringCase(subject, "fw");
}

std::int64_t countWords(std::string_view own)
{
    const auto first = own.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return 1;
    const auto last = own.find_last_not_of(' ');
    const auto trimmed = own.substr(first, last - first + 1);
    return std::count(trimmed.begin(), trimmed.end(), ' ') + 1;
}

void ProcessMessage(AnalysisState& s, MailItem* item, const DateFilter& filter, Prompts& prompts,
                    ReplyThreads threads)
{
    const StepGuard step(prompts, "ProcessMessage", s.lEmailsProcessed);
    const std::int64_t slot = countProcessed(s, step);
    if (!isMailItem(item, step))
        return;
    MailItem& mail = *item;
    const std::optional<DateValue> received = receivedInPeriod(s, step, mail, filter);
    if (!received)
        return;
    const DateValue d = *received;
    recordDateBounds(s, d);
    const ItemTime t = recordTimeBuckets(s, step, slot, d);
    recordDay(s, step, d);
    BodyReading body(filter.locale);
    recordReply(s, step, slot, d, mail, body, threads);
    step([&] { recordOwnText(s, step, slot, t, body.facts(mail)); });
    recordSizeAndAttachments(s, step, slot, t, mail);
    recordRecipients(s, step, slot, t, mail);
    recordNames(s, step, slot, mail);
    step([&] { checkedAdd(s.lEmailsAnalysed, 1); });
}

} // namespace brisk
