#pragma once
// Reading only the header block of a message (RFC 5322 section 2.1: the
// headers end at the first empty line), for the threading index built before
// a run. Nothing of the body is read or decoded, and at most a bounded number
// of bytes is looked at, whatever the message's size.

#include "dates/TimeZone.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brisk::mailstore {

struct ThreadHeaders {
    std::string messageId; // without angle brackets; empty when there is none
    double receivedTime = 0;
};

// Header blocks longer than this are cut; real ones stay far below it.
inline constexpr std::int64_t kHeaderScanLimit = 64 * 1024;

// The Message-ID and the received time (the topmost Received: date, else
// Date:, else `fileTime()`, asked only then), read as MessageItem reads them.
ThreadHeaders threadHeadersOf(std::string_view headerBlock, const std::function<std::int64_t()>& fileTime,
                              const TimeZone& zone);

class ReadOnlyFile;

// The same from the message at `offset` of an open file, `length` bytes long
// (-1: to the file's end), reading only its header block into `buffer`.
ThreadHeaders readThreadHeaders(const ReadOnlyFile& file, std::int64_t offset, std::int64_t length,
                                const std::function<std::int64_t()>& fileTime, std::string& buffer,
                                const TimeZone& zone);

} // namespace brisk::mailstore
