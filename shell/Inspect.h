#pragma once
// Human-readable views of a mail store for the command line: the folder tree
// with item counts, and every value of one item as the analysis reads it.

#include "engine/MailStore.h"

#include <ostream>

namespace brisk {

// One line per folder, root first, depth-first: "Name (N)", indented two
// spaces per level below the root.
void printFolderTree(MailStore& store, std::ostream& out);

// Type, received time, subject, sender, recipients, size, attachments, then
// "Body:" and the body.
void printItem(MailItem& item, std::ostream& out);

} // namespace brisk
