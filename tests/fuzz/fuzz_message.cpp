// One message's bytes in, every value the analysis reads out. The first byte
// picks how the item is stored: a whole file, or an mbox byte range with
// ">From " unquoting, so both reading paths are exercised.

#include "platform/mailstore/MessageItem.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace brisk;

void brisk::fuzz::fuzzOne(std::string_view input)
{
    static ScratchFile file;
    if (input.empty())
        return;
    const std::int64_t size = std::int64_t(input.size()) - 1;
    const auto& path = file.write(input.substr(1));
    const bool mbox = input[0] & 1;
    mailstore::MessageItem item({path, 0, mbox ? std::optional(size) : std::nullopt, mbox}, TimeZone::utc());
    try {
        std::size_t total = item.typeName().size() + item.subject().size() + item.senderName().size();
        total += item.body().size() + std::size_t(item.attachmentCount()) + item.messageId().size();
        total += item.inReplyTo().size() + item.references().size();
        for (const std::string& name : item.recipients())
            total += name.size();
        require(item.size() == size && item.receivedTime() == item.receivedTime());
        (void)total;
    } catch (const StoreError&) {
        // A message GMime cannot read is reported, not a crash.
    }
}
