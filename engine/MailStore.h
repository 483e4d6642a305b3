#pragma once
// The mail store as the analysis sees it: folders with 1-based items and
// subfolders, items with the few values the analysis reads. The platform layer
// serves these from Maildir, mbox and .eml trees; tests serve them from memory.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brisk {

// Raised when a store, a folder or an item cannot be delivered or read. The
// caller reports it and goes on; it never ends the process.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when a store on a server lost its connection: the run pauses with
// the message, and Resume asks for the same item again once the server is
// back (the store reconnects on its next call).
class StoreDisconnected : public StoreError {
public:
    using StoreError::StoreError;
};

// One item of a folder. Values are worked out on first use and kept, so an
// item that is never asked for its body never has its body decoded. Every
// accessor may throw StoreError.
class MailItem {
public:
    virtual ~MailItem() = default;
    // "MailItem" for mail messages; "ReportItem", "MeetingItem" otherwise.
    virtual const std::string& typeName() = 0;
    // Date value (days since 30 December 1899, local time).
    virtual double receivedTime() = 0;
    // UTF-8 text; the item's default value.
    virtual const std::string& subject() = 0;
    // Plain text as a mail client shows it, UTF-8, lines ended by CR LF.
    virtual const std::string& body() = 0;
    // The same text as body(), fed to `chunk` in order in pieces cut
    // anywhere, except that lines may end in a lone CR or LF where body()
    // has CR LF (readers take either as CR LF). Stores override it to
    // decode a large body through a fixed buffer, or to spare the
    // conversion; this default hands over body() whole.
    using BodyChunkSink = std::function<void(std::string_view chunk)>;
    virtual void readBody(const BodyChunkSink& chunk) { chunk(body()); }
    // Bytes of the raw message as stored.
    virtual std::int64_t size() = 0;
    virtual int attachmentCount() = 0;
    // Display names of To, then Cc, then Bcc recipients (groups expanded).
    virtual const std::vector<std::string>& recipients() = 0;
    virtual const std::string& senderName() = 0;

    // Threading headers (RFC 5322 section 3.6.4), each id without its angle
    // brackets: the item's Message-ID, the ids of its In-Reply-To and of its
    // References in header order. Empty where the item or the store has none.
    virtual std::string messageId() { return {}; }
    virtual std::vector<std::string> inReplyTo() { return {}; }
    virtual std::vector<std::string> references() { return {}; }

    // True when the item owns everything it reads (a file's path, bytes
    // already fetched) and shares no handle with its store, so that another
    // thread may work it out while the walk goes on.
    virtual bool readableOnAnyThread() const { return false; }
    // A self-contained description (a file, a byte range) from which a
    // parser process reads the same item; empty where there is none.
    virtual std::string recipe() const { return {}; }
};

class ThreadHeaderScan;

class MailFolder {
public:
    virtual ~MailFolder() = default;
    // Display name ("Archive", not ".Sent.Archive"); the folder's default value.
    virtual const std::string& name() const = 0;
    // Names from the store root joined by "/", empty for the root itself.
    virtual std::string path() const = 0;
    virtual MailFolder* parent() const = 0;
    // Items.Count: known without parsing any message.
    virtual long itemCount() = 0;
    // Items(index), 1-based. Throws StoreError when the item cannot be read.
    virtual std::unique_ptr<MailItem> item(long index) = 0;
    // Direct subfolders in the store's order (sorted by name, code values).
    virtual const std::vector<MailFolder*>& folders() = 0;

    // True for the folder the store itself marks as its trash (Maildir++
    // ".Trash", IMAP's \Trash, a PST's deleted-items folder). A run skips it
    // as it skips a folder named "Deleted Items".
    virtual bool isTrash() const { return false; }

    // Calls `sink` with the Message-ID and the received time of each item,
    // in index order, for the threading index built before a run. Stores
    // override it to read headers only; this default parses each item.
    using ThreadHeaderSink = std::function<void(std::string_view messageId, double receivedTime)>;
    virtual void scanThreadHeaders(const ThreadHeaderSink& sink);
    // The same scan of this folder and of every folder below it, as a job
    // that runs on a thread of its own while the walk reads these folders:
    // it owns what it reads (paths, offsets) and never touches this object
    // tree. nullptr where the store cannot be read by two threads at once
    // (one connection, one file handle): the index is then built before
    // the walk.
    virtual std::unique_ptr<ThreadHeaderScan> threadHeaderScan() { return nullptr; }
};

// A self-contained scan of a folder tree's thread headers (see above).
class ThreadHeaderScan {
public:
    virtual ~ThreadHeaderScan() = default;
    // Calls `sink` for every message of the tree, trash included, in any
    // order; returns early once `stop` is set. Errors end the scan of the
    // folder or item they concern, never the scan.
    virtual void run(const MailFolder::ThreadHeaderSink& sink, const std::atomic<bool>& stop) = 0;
};

// The one rule by which every walk over a folder tree (the run, the count of
// a tree's items) leaves a subfolder out, with everything below it: a folder
// named exactly "Deleted Items", or the store's own trash.
inline bool skippedInWalk(const MailFolder& folder)
{
    return folder.name() == "Deleted Items" || folder.isTrash();
}

class MailStore {
public:
    virtual ~MailStore() = default;
    virtual MailFolder& root() = 0;
    // Default folder 5: Sent Items (the first folder, depth-first, with one of
    // the usual sent-mail names; else the root).
    virtual MailFolder& defaultFolder() = 0;
    // Display name of the person whose store it is.
    virtual std::string currentUser() const = 0;
    // Where the store lives (a path), for messages and for reopening.
    virtual std::string location() const = 0;

    // The folder at a "/"-separated path from the root ("" is the root), or
    // nullptr when there is none.
    MailFolder* findFolder(std::string_view path);
};

} // namespace brisk
