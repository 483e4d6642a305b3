#pragma once
// Opens a mail store on disk: a Maildir folder, a Maildir++ root, a tree of
// Maildir folders, an mbox file, a Thunderbird-style tree of mbox files with
// Name.sbd/ subfolder directories, a directory of .eml files, a directory
// mixing these, or an Outlook data file (.pst, .ost). The store is only read,
// never written, renamed or locked.

#include "dates/TimeZone.h"
#include "engine/MailStore.h"
#include "platform/system/Account.h"

#include <filesystem>
#include <memory>

namespace brisk {

class Prompts;

// Throws StoreError "not a mail store: PATH" when the path holds no mail and
// "cannot read PATH: reason" when it cannot be read. Received times are
// given in `zone` (the user's, from the program's set-up).
std::unique_ptr<MailStore> openMailStore(const std::filesystem::path& path, const TimeZone& zone = TimeZone::utc());

// Also opens an IMAP account named by an imap:// or imaps:// address; its
// password is asked through `prompts`.
std::unique_ptr<MailStore> openMailStore(const std::string& location, Prompts& prompts,
                                         const TimeZone& zone = TimeZone::utc());

// Names of sent-mail folders that defaultFolder() looks for, ignoring ASCII case.
bool isSentFolderName(const std::string& name);

} // namespace brisk
