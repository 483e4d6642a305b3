#pragma once
// Opens an Outlook data file (PST or OST; ANSI 97-2002 or Unicode 2003+;
// no, compressible or high encryption) as a mail store, read-only.

#include "dates/TimeZone.h"
#include "engine/MailStore.h"

#include <filesystem>
#include <memory>

namespace brisk::pst {

// True for a regular file named *.pst or *.ost (ASCII case ignored), or one
// that starts with the "!BDN" signature of Outlook data files (MS-PST 2.2.2.6).
bool isOutlookDataFile(const std::filesystem::path& path);

// The store's root is the folder the file marks as the top of its mail
// (PidTagIpmSubtreeEntryId: "Top of Personal Folders"), else an OST's
// "Root - Mailbox/IPM_SUBTREE", else the file's root folder. Throws
// StoreError "cannot read PATH: reason" for a damaged or foreign file.
std::unique_ptr<MailStore> openPstStore(const std::filesystem::path& path, const TimeZone& zone);

} // namespace brisk::pst
