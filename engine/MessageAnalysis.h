#pragma once
// The analysis of one item (ProcessMessage): its type and date tests, time
// buckets, reply or forward with the response time quoted in its body, words
// and characters of its own text, size, attachments, recipients and names.

#include "engine/AnalysisState.h"
#include "engine/ThreadIndex.h"
#include "dates/Attribution.h"

#include <optional>
#include <string>
#include <string_view>

namespace brisk {

class MailItem;
class Prompts;

// The date filter as the window's controls hold it. The controls are
// disabled during a run, so a run reads it once.
struct DateFilterState {
    bool DateFilterRadio = false;
    std::string FromDatePickerText = "01/01/11";
    std::string ToDatePickerText = "31/12/11";
};

// The filter's bounds for a run: both dates at 00:00 of their day. A bound
// that is not a date makes the filter test fail for every item.
struct DateFilter {
    bool active = false;
    std::optional<DateValue> from;
    std::optional<DateValue> to;
    // How the bounds and the dates quoted in bodies are read.
    DateLocale locale;

    static DateFilter fromState(const DateFilterState& state, const DateLocale& locale = {});
};

// Adds one item to the state. Every step runs under one error rule: an error
// shows "BRISK Vezoriv Rizovave: Error in ProcessMessage: lEmailsProcessed = N"
// and the analysis goes on with the next step. `item` may be null when the
// store could not deliver it: it is counted as processed and not analysed.
// `threads` is the run's Message-ID index (none: replies are not threaded);
// while it is being built, a reply that needs it waits in its `deferred`.
void ProcessMessage(AnalysisState& state, MailItem* item, const DateFilter& filter, Prompts& prompts,
                    ReplyThreads threads = {});

// The reply-or-forward test on a subject: "RE:" or "FW" anywhere, any case.
bool isReplyOrForward(const std::string& subject);
// The sending time quoted in the first "Sent: " line of a body, if any.
std::optional<DateValue> quotedSentTime(std::string_view body, DateOrder order = DateOrder::DayFirst);
// The item's own text: the body up to its first "From:", or up to its first
// attribution line or first line beginning with ">" when one comes earlier.
std::string_view ownText(std::string_view body, const std::optional<Attribution>& attribution);
std::string_view ownText(std::string_view body, const DateLocale& locale = {});

// Where a response time was found, in the order the rules are tried.
enum class ResponseSource { SentLine = 0, Threading = 1, Attribution = 2 };
struct ResponseTime {
    DateValue sent = 0;
    ResponseSource source = ResponseSource::SentLine;
};
// The time the item answers for a reply or forward received at `received`:
// the quoted "Sent: " line; else the received time of the message named by
// its In-Reply-To (else its last References entry) in `threads`; else the
// attribution line's date. A quoted date before `windowStart` or more than a
// day after `received`, and a parent received after the reply, are no
// evidence: the next rule is tried. While the index is being built, a reply
// that the first rule does not time and that names a parent is put into
// `threads.deferred` under `slot` instead (no result yet).
std::optional<ResponseTime> responseTimeOf(MailItem& item, DateValue received, DateValue windowStart,
                                           const ReplyThreads& threads, const std::optional<Attribution>& attribution,
                                           std::int64_t slot = 0);
// The threading rule, then the attribution rule, for a reply that waited.
std::optional<ResponseTime> laterReplyRules(const DeferredReply& reply, const ThreadIndex* index);
// Counts a response time for the item in `slot` received at `received`.
void recordResponseTime(AnalysisState& state, std::int64_t slot, const ResponseTime& response, DateValue received);
// The same with the body's quoted "Sent: " date already read.
std::optional<ResponseTime> responseTimeOf(MailItem& item, DateValue received, DateValue windowStart,
                                           const ReplyThreads& threads, std::optional<DateValue> quotedSent,
                                           const std::optional<Attribution>& attribution, std::int64_t slot = 0);
// Blanks between the first and last non-blank character, plus 1.
std::int64_t countWords(std::string_view ownText);

} // namespace brisk
