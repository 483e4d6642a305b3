// The rules that read a body: the response time of a reply or forward and
// where the item's own text ends. They work on a view of the body's text.

#include "engine/MailStore.h"
#include "engine/MessageAnalysis.h"
#include "engine/ThreadIndex.h"
#include "platform/dates/DateText.h"

#include <algorithm>

namespace brisk {
namespace {

// A quoted time is local and written by another clock: allow it a day past
// the reply before it counts as nonsense (a year 0000, a wrong century).
constexpr double kQuotedLeewayDays = 1.0;

bool plausible(DateValue sent, DateValue received, DateValue windowStart)
{
    return sent >= windowStart && sent <= received + kQuotedLeewayDays;
}

// The offset of the first line that begins with ">" (RFC 3676 section
// 4.5 quoting), or npos.
std::size_t firstQuotedLine(std::string_view body)
{
    if (!body.empty() && body.front() == '>')
        return 0;
    const std::size_t at = body.find("\n>");
    return at == std::string_view::npos ? at : at + 1;
}

// The parent named by In-Reply-To, else by the last References entry
// (RFC 5322 section 3.6.4), when the store holds it.
std::optional<DateValue> parentReceivedTime(MailItem& item, const ThreadIndex& threads)
{
    for (const std::string& id : item.inReplyTo())
        if (auto time = threads.receivedTime(id))
            return time;
    const std::vector<std::string> references = item.references();
    return references.empty() ? std::nullopt : threads.receivedTime(references.back());
}

} // namespace

std::optional<DateValue> quotedSentTime(std::string_view text)
{
    static constexpr std::string_view kSent = "Sent: ";
    const auto first = text.find(kSent);
    if (first == std::string_view::npos)
        return std::nullopt;
    std::string_view piece = text.substr(first + kSent.size());
    piece = piece.substr(0, piece.find(kSent));
    const auto lf = piece.find('\n');
    if (lf == std::string_view::npos)
        return std::nullopt;
    return parseDateText(piece.substr(0, lf));
}

std::string_view ownText(std::string_view body, const std::optional<Attribution>& attribution)
{
    std::size_t end = std::min(body.find("From:"), firstQuotedLine(body));
    if (attribution)
        end = std::min(end, attribution->offset);
    return body.substr(0, end);
}

std::string_view ownText(std::string_view body)
{
    return ownText(body, findAttribution(body));
}

std::optional<ResponseTime> responseTimeOf(MailItem& item, DateValue received, DateValue windowStart,
                                           const ThreadIndex* threads, const std::optional<Attribution>& attribution)
{
    return responseTimeOf(item, received, windowStart, threads, quotedSentTime(item.body()), attribution);
}

std::optional<ResponseTime> responseTimeOf(MailItem& item, DateValue received, DateValue windowStart,
                                           const ThreadIndex* threads, std::optional<DateValue> quotedSent,
                                           const std::optional<Attribution>& attribution)
{
    if (const auto& sent = quotedSent; sent && plausible(*sent, received, windowStart))
        return ResponseTime{*sent, ResponseSource::SentLine};
    if (threads) {
        if (auto parent = parentReceivedTime(item, *threads); parent && *parent <= received)
            return ResponseTime{*parent, ResponseSource::Threading};
    }
    if (attribution && attribution->sent && plausible(*attribution->sent, received, windowStart))
        return ResponseTime{*attribution->sent, ResponseSource::Attribution};
    return std::nullopt;
}

} // namespace brisk
