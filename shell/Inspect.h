#pragma once
// Human-readable views of a mail store for the command line: the folder tree
// with item counts, and every value of one item as the analysis reads it.
// Text from the store is shown terminal-safe (shell/TerminalText.h).

#include "engine/MailStore.h"

#include <ostream>

namespace brisk {

// One line per folder, root first, depth-first: "Name (N)", indented two
// spaces per level below the root. A folder whose items or subfolders cannot
// be read shows "?" for what is unknown, gets a "brisk-cli: " line on `err`
// naming the folder and the cause, and the listing goes on. Returns the
// number of folders that could not be read.
int printFolderTree(MailStore& store, std::ostream& out, std::ostream& err);

// Type, received time, subject, sender, recipients, size, attachments, then
// "Body:" and the body.
void printItem(MailItem& item, std::ostream& out);

} // namespace brisk
