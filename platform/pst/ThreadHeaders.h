#pragma once
// The threading ids of an Outlook item (RFC 5322 section 3.6.4): from the
// transport headers a received message keeps, else from the properties a
// sent one carries (PidTagInternetMessageId, PidTagInReplyToId,
// PidTagInternetReferences). Ids come without their angle brackets.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisk::pst {

struct ThreadHeaders {
    std::string messageId;
    std::vector<std::string> inReplyTo, references;
};

// The ids of a Message-ID, In-Reply-To or References value, in order.
std::vector<std::string> messageIdsOf(std::string_view value);

// Reads Message-ID, In-Reply-To and References from a header block (the
// headers of a message without its body), parsed with GMime.
ThreadHeaders threadHeadersOf(std::string_view headerBlock);

} // namespace brisk::pst
