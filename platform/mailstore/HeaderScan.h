#pragma once
// Reading only the header block of a message (RFC 5322 section 2.1: the
// headers end at the first empty line), for the threading index built beside
// a run. Nothing of the body is read or decoded, at most a bounded number of
// bytes is looked at whatever the message's size, and a message costs no
// allocation in the common case: one fixed buffer serves a whole folder,
// and the id handed out points into it.

#include "dates/TimeZone.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace brisk::mailstore {

struct ThreadHeaders {
    std::string_view messageId; // without angle brackets; empty when there is none
    double receivedTime = 0;
};

// Header blocks longer than this are cut; real ones stay far below it.
inline constexpr std::int64_t kHeaderScanLimit = 64 * 1024;

using HeaderSink = std::function<void(std::string_view messageId, double receivedTime)>;

class ThreadHeaderReader {
public:
    explicit ThreadHeaderReader(const TimeZone& zone);

    // The Message-ID and the received time (the topmost Received: date, else
    // Date:, else the file's modification time) of the message at `offset` of
    // the open file `fd`, `length` bytes long (-1: to the file's end), read as
    // MessageItem reads them. The id stays valid until the next call.
    ThreadHeaders read(int fd, std::int64_t offset, std::int64_t length);

    // Every message file of the folder directory `dir` (cur/ and new/ of a
    // Maildir, which it is when `maildir` is set or when it has either; else
    // its *.eml files), in directory order, each opened relative to its
    // directory; `sink` gets those with an id, until `stop` is set.
    // Unreadable entries are skipped: the walk reports them when it reaches
    // them.
    void scanDirectory(const std::filesystem::path& dir, bool maildir, const HeaderSink& sink,
                       const std::atomic<bool>* stop);

private:
    std::string_view readBlock(int fd, std::int64_t offset, std::int64_t length);
    ThreadHeaders parse(std::string_view block, int fd);
    std::string_view messageIdOf(std::string_view rawValue);
    void scanFiles(int dirFd, bool emlOnly, const HeaderSink& sink, const std::atomic<bool>* stop);
    int openMessage(int dirFd, const char* name);

    std::unique_ptr<char[]> m_buffer; // kHeaderScanLimit bytes
    std::size_t m_firstRead = 4096;
    std::string m_text;  // an unfolded header value
    std::string m_id;    // an id that GMime decoded
    TimeZone m_zone;
    bool m_noAtime = true; // O_NOATIME, until the kernel refuses it
};

} // namespace brisk::mailstore
