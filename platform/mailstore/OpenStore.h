#pragma once
// Opens a mail store on disk: a Maildir folder, a Maildir++ root, a tree of
// Maildir folders, an mbox file, a Thunderbird-style tree of mbox files with
// Name.sbd/ subfolder directories, a directory of .eml files, a directory
// mixing these, or an Outlook data file (.pst, .ost). The store is only read,
// never written, renamed or locked.

#include "engine/MailStore.h"

#include <filesystem>
#include <memory>

namespace brisk {

class Prompts;

// Throws StoreError "not a mail store: PATH" when the path holds no mail and
// "cannot read PATH: reason" when it cannot be read.
std::unique_ptr<MailStore> openMailStore(const std::filesystem::path& path);

// Also opens an IMAP account named by an imap:// or imaps:// address; its
// password is asked through `prompts`.
std::unique_ptr<MailStore> openMailStore(const std::string& location, Prompts& prompts);

// Names of sent-mail folders that defaultFolder() looks for, ignoring ASCII case.
bool isSentFolderName(const std::string& name);

// The display name of the account running the program: the full name of its
// account record (up to the first comma), else the login name.
std::string accountDisplayName();

} // namespace brisk
