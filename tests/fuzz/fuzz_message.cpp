// One message's bytes in, every value the analysis reads out. The first byte
// picks how the item is stored: a whole file, or an mbox byte range with
// ">From " unquoting, so both reading paths are exercised.

#include "platform/mailstore/MessageItem.h"
#include "tests/fuzz/FuzzSupport.h"

#include <stdexcept>

using namespace brisk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::ScratchFile file;
    if (size < 1)
        return 0;
    const bool mbox = data[0] & 1;
    const auto& path = file.write(data + 1, size - 1);
    mailstore::ItemLocation where{path, 0, std::nullopt, false};
    if (mbox)
        where = {path, 0, static_cast<std::int64_t>(size - 1), true};
    mailstore::MessageItem item(where, TimeZone::utc());
    try {
        std::size_t total = item.typeName().size() + item.subject().size() + item.senderName().size();
        total += item.body().size() + static_cast<std::size_t>(item.attachmentCount());
        for (const std::string& name : item.recipients())
            total += name.size();
        total += item.messageId().size() + item.inReplyTo().size() + item.references().size();
        if (item.size() != static_cast<std::int64_t>(size - 1))
            throw std::logic_error("size differs from the stored bytes");
        volatile double when = item.receivedTime();
        (void)when;
        (void)total;
    } catch (const StoreError&) {
        // A message GMime cannot read is reported, not a crash.
    }
    return 0;
}
