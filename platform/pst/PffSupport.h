#pragma once
// libpff plumbing for the Outlook data file store: ownership of libpff
// handles and errors, and typed reads of MAPI properties (MS-OXPROPS). Only
// files under platform/pst include this header.

#include <libpff.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace brisk::pst {

// One libpff error slot: hand out() to a call, read text(); freed with the object.
class PffError {
public:
    PffError() = default;
    ~PffError();
    PffError(const PffError&) = delete;
    PffError& operator=(const PffError&) = delete;

    libpff_error_t** out() { return &m_error; }
    // The innermost cause of libpff's backtrace without its function prefix
    // ("invalid file signature"), or "unknown error".
    std::string text() const;

private:
    libpff_error_t* m_error = nullptr;
};

struct ItemFree {
    void operator()(libpff_item_t* item) const;
};
using ItemPtr = std::unique_ptr<libpff_item_t, ItemFree>;

// MAPI property identifiers (the upper 16 bits of a property tag).
enum PropertyId : std::uint32_t {
    PidSubject = 0x0037,
    PidClientSubmitTime = 0x0039,
    PidSentRepresentingName = 0x0042,
    PidTransportMessageHeaders = 0x007d,
    PidRecipientType = 0x0c15,
    PidSenderName = 0x0c1a,
    PidMessageDeliveryTime = 0x0e06,
    PidMessageSize = 0x0e08,
    PidInternetMessageId = 0x1035,
    PidInternetReferences = 0x1039,
    PidInReplyToId = 0x1042,
    PidDisplayName = 0x3001,
    PidEmailAddress = 0x3003,
    PidIpmSubtreeEntryId = 0x35e0,
    PidIpmWastebasketEntryId = 0x35e3,
    PidIpmSentMailEntryId = 0x35e4,
    PidSmtpAddress = 0x39fe,
    PidInternetCodepage = 0x3fde,
};

// A property of one record set (0 for folders and messages; a recipient
// table has one set per recipient). nullopt when the item lacks it.
std::optional<std::string> stringProperty(libpff_item_t* item, std::uint32_t id, int set = 0);
std::optional<std::uint32_t> int32Property(libpff_item_t* item, std::uint32_t id, int set = 0);
std::optional<std::uint64_t> filetimeProperty(libpff_item_t* item, std::uint32_t id, int set = 0);
std::optional<std::string> binaryProperty(libpff_item_t* item, std::uint32_t id, int set = 0);

// The node id a PST entry id names: the last 4 bytes of a 24-byte entry id
// (flags, provider UID, node id; MS-PST section 2.2.2.1), nullopt for other
// forms such as the long-term ids of an OST.
std::optional<std::uint32_t> nodeIdOfEntryId(const std::string& entryId);

// FILETIME (100 ns ticks since 1601-01-01 UTC) to Unix seconds.
std::int64_t filetimeToUnix(std::uint64_t filetime);

} // namespace brisk::pst
