#pragma once
// The analysis of one item (ProcessMessage): its type and date tests, time
// buckets, reply or forward with the response time quoted in its body, words
// and characters of its own text, size, attachments, recipients and names.

#include "engine/AnalysisState.h"

#include <optional>
#include <string>

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

    static DateFilter fromState(const DateFilterState& state);
};

// Adds one item to the state. Every step runs under one error rule: an error
// shows "BRISK Vezoriv Rizovave: Error in ProcessMessage: lEmailsProcessed = N"
// and the analysis goes on with the next step. `item` may be null when the
// store could not deliver it: it is counted as processed and not analysed.
void ProcessMessage(AnalysisState& state, MailItem* item, const DateFilter& filter, Prompts& prompts);

// The reply-or-forward test on a subject: "RE:" or "FW" anywhere, any case.
bool isReplyOrForward(const std::string& subject);
// The sending time quoted in the first "Sent: " line of a body, if any.
std::optional<DateValue> quotedSentTime(const std::string& body);
// The item's own text: the body up to its first "From:".
std::string_view ownText(const std::string& body);
// Blanks between the first and last non-blank character, plus 1.
std::int64_t countWords(std::string_view ownText);

} // namespace brisk
