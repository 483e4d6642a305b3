#pragma once
// The two file procedures every writer of usage logs and reports uses, the
// single-byte code page those files are written in, and the user's documents
// folder where reports and exports land.

#include "engine/Services.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace brisk {

// True when path names a directory that can be reached now (links followed).
// An empty path is no folder.
bool DoesFolderExist(const std::string& path);

// Appends line + CR LF to the file at path, creating the file when missing;
// the file is opened and closed again for this one line. A link at the path
// is not followed and anything but a regular file is refused. A failing step shows
// writeErrorText(path) with the program's title and the procedure goes on; an
// open that fails leaves nothing to write to or close, so it shows one
// message. The text is converted from UTF-8 to ISO-8859-1 first.
void WriteToFile(const std::string& path, std::string_view line, Prompts& prompts);

// Creates a new file for writing: never through a link and never over an
// existing file (O_EXCL), so nobody can plant a link or a file at the name to
// have it written through. Returns the descriptor, or -1 with errno set.
int createNewFile(const std::string& path);

// Opens a file of a shared folder for reading when it is a regular file with
// this one name: no link is followed, no FIFO or device is waited on, and a
// second hard link (a name for a file kept elsewhere) is refused. Returns the
// descriptor, or -1 with errno set.
int openSharedFileForReading(const std::string& path);

// Writes all of data to fd, riding out partial writes and interrupted calls;
// false (errno set) when a write fails.
bool writeAll(int fd, std::string_view data);

// "BRISK Vezoriv Rizovave: Error writing to file: <path>"
std::string writeErrorText(const std::string& path);

// UTF-8 to ISO-8859-1: code points above U+00FF and malformed sequences become
// '?', one per code point or per malformed byte.
std::string utf8ToLatin1(std::string_view utf8);
// ISO-8859-1 to UTF-8: every byte is its own code point, so any bytes read
// from a single-byte file come back unchanged through utf8ToLatin1.
std::string latin1ToUtf8(std::string_view latin1);

// The user's documents folder: XDG_DOCUMENTS_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs (else ~/.config/user-dirs.dirs) with $HOME
// expanded, else ~/Documents. Created when missing.
std::filesystem::path documentsFolder();

} // namespace brisk
