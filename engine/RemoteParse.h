#pragma once
// Parsing in another process. GMime on two threads of one process runs no
// faster than on one: every GObject made or freed writes its type's shared
// reference count, and every dispose takes GObject's one signal lock, so two
// cores spend their time passing cache lines. Two processes share nothing.
//
// A store's item that can be read from a self-contained description (its
// recipe: a file and a byte range) is sent to a parser process, which reads
// it as the walk would and answers with every value the analysis reads and
// every error those reads gave. The walk gets an item that answers exactly
// as the store's item, read in this process, would have.

#include "dates/DateLocale.h"
#include "engine/MailStore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brisk {

// What a parser process is asked: the item's recipe and how quoted dates in
// its body are read.
struct ParseRequest {
    std::string recipe;
    DateOrder order = DateOrder::DayFirst;
    std::string zone;
};

std::string encodeRequest(const ParseRequest& request);
// Throws StoreError on bytes that are no request.
ParseRequest decodeRequest(std::string_view bytes);

// In the parser process: the values of `item`, each worked out as the walk
// would (read ahead, its body measured in `locale`), or the error it gave.
std::string encodeReply(std::unique_ptr<MailItem> item, const DateLocale& locale);
// In the walk's process: the item the reply describes. `original` (the
// store's item, not yet read) serves the body text, which no reply carries;
// it is taken only when the reply is whole. A body the process did not
// measure is measured here in `locale`, which outlives the item. Throws
// StoreError on bytes that are no reply.
std::unique_ptr<MailItem> decodeReply(std::string_view bytes, std::unique_ptr<MailItem>& original,
                                      const DateLocale& locale);

// The line to one parser process: requests go out, replies come back in
// the same order.
class ParseChannel {
public:
    virtual ~ParseChannel() = default;
    // False once the process is gone.
    virtual bool send(std::string_view request) = 0;
    // The next reply; nullopt once the process is gone (ended, killed, or
    // answering with something that is no reply).
    virtual std::optional<std::string> receive() = 0;
    // Why the process is gone ("it was killed by signal 11").
    virtual std::string whyGone() = 0;
};

// Starts a parser process; nullptr where none can be started.
using ParseChannelFactory = std::function<std::unique_ptr<ParseChannel>()>;

} // namespace brisk
