#pragma once
// Showing the user a file the program has just saved (a results workbook, a
// usage report): the desktop opens it; when no application can, a message
// says where it was saved and offers to show its folder.

#include "engine/Services.h"

#include <filesystem>

namespace brisk {

enum class SavedFileKind { Document, Text };

// Opens `file` (a Text file in the text editor); when that fails, shows where
// it was saved, with an "Open Folder" button when the desktop can show
// folders. Returns whether the desktop opened the file.
bool openSavedFile(const std::filesystem::path& file, SavedFileKind kind, Prompts& prompts, Desktop& desktop);

// The message shown when the saved file could not be opened.
std::string savedFileMessage(const std::filesystem::path& file);

} // namespace brisk
