#pragma once
// Reading a store's directories: which entries are messages and which are
// subfolders. Ignored: tmp/, dot-files other than Maildir++ folders, .msf
// summaries, Name.sbd directories (they belong to the mbox file Name) and
// index or state files of mail servers.

#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/FileList.h"

#include <filesystem>
#include <vector>

namespace brisk::mailstore {

class StoreFolder;

bool isMaildir(const std::vector<DirEntry>& entries);
// The same for a directory: it has cur/ or new/ (links not followed).
bool isMaildir(const std::filesystem::path& dir);

// Message files of a Maildir folder: cur/ and new/ together, ordered by file
// name (byte order).
FileList maildirMessages(const std::filesystem::path& dir);

// *.eml files of a directory, ordered by file name (byte order).
FileList emlMessages(const std::filesystem::path& dir);

// Adds the subfolders found in `dir` to `folder`.
void addSubfolders(StoreFolder& folder, const std::filesystem::path& dir);

// True when a directory holds mail itself or in some folder below it (up to
// `depth` levels), so that unrelated directories are not shown as folders.
bool holdsMail(const std::filesystem::path& dir, int depth);

// True for a regular file that is an mbox: its first line starts with
// "From ", or it is empty and Thunderbird's .msf or .sbd lies beside it.
bool isMboxFile(const std::filesystem::path& file, bool hasCompanion);

} // namespace brisk::mailstore
