// The rules that read a body: the response time of a reply or forward and
// where the item's own text ends. They work on a view of the body's text.

#include "engine/MailStore.h"
#include "engine/MessageAnalysis.h"
#include "engine/ThreadIndex.h"
#include "dates/DateText.h"

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

// Hashes of the ids of the parent: those of In-Reply-To, then the last
// References entry (RFC 5322 section 3.6.4), tried in this order.
std::vector<std::uint64_t> parentHashes(MailItem& item)
{
    std::vector<std::uint64_t> hashes;
    for (const std::string& id : item.inReplyTo())
        hashes.push_back(ThreadIndex::hashOf(id));
    const std::vector<std::string> references = item.references();
    if (!references.empty())
        hashes.push_back(ThreadIndex::hashOf(references.back()));
    return hashes;
}

} // namespace

std::optional<DateValue> quotedSentTime(std::string_view text, DateOrder order)
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
    return parseDateText(piece.substr(0, lf), order);
}

std::string_view ownText(std::string_view body, const std::optional<Attribution>& attribution)
{
    std::size_t end = std::min(body.find("From:"), firstQuotedLine(body));
    if (attribution)
        end = std::min(end, attribution->offset);
    return body.substr(0, end);
}

std::string_view ownText(std::string_view body, const DateLocale& locale)
{
    return ownText(body, findAttribution(body, locale));
}

std::optional<ResponseTime> laterReplyRules(const DeferredReply& reply, const ThreadIndex* index)
{
    if (index) {
        // The first parent the store holds decides; one received after the
        // reply is no evidence.
        for (const std::uint64_t hash : reply.parents) {
            if (auto parent = index->receivedTimeOfHash(hash)) {
                if (*parent <= reply.received)
                    return ResponseTime{*parent, ResponseSource::Threading};
                break;
            }
        }
    }
    if (reply.attributed)
        return ResponseTime{*reply.attributed, ResponseSource::Attribution};
    return std::nullopt;
}

std::optional<ResponseTime> responseTimeOf(MailItem& item, DateValue received, DateValue windowStart,
                                           const ReplyThreads& threads, const std::optional<Attribution>& attribution,
                                           std::int64_t slot)
{
    return responseTimeOf(item, received, windowStart, threads, quotedSentTime(item.body()), attribution, slot);
}

std::optional<ResponseTime> responseTimeOf(MailItem& item, DateValue received, DateValue windowStart,
                                           const ReplyThreads& threads, std::optional<DateValue> quotedSent,
                                           const std::optional<Attribution>& attribution, std::int64_t slot)
{
    if (quotedSent && plausible(*quotedSent, received, windowStart))
        return ResponseTime{*quotedSent, ResponseSource::SentLine};
    DeferredReply reply{slot, received, {}, std::nullopt};
    if (threads.index || threads.deferred)
        reply.parents = parentHashes(item);
    if (attribution && attribution->sent && plausible(*attribution->sent, received, windowStart))
        reply.attributed = attribution->sent;
    if (!threads.index && threads.deferred && !reply.parents.empty()) {
        threads.deferred->push_back(std::move(reply));
        return std::nullopt;
    }
    return laterReplyRules(reply, threads.index);
}

} // namespace brisk
