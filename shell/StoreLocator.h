#pragma once
// Which mail store the window opens: the one named on the command line, else
// the first found of $MAILDIR, ~/Maildir, ~/mail, the default Thunderbird
// profile's local folders, $MAIL; else the sample store shipped with the
// program.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brisk {

// The places to try, in order, that exist on this machine.
std::vector<std::filesystem::path> storeCandidates(const std::optional<std::string>& commandLineStore,
                                                   const std::filesystem::path& applicationFolder);

// The local folders of the default profile in ~/.thunderbird/profiles.ini.
std::optional<std::filesystem::path> thunderbirdLocalFolders(const std::filesystem::path& home);

// The sample store installed in the data folder, else the one the build
// makes beside the program's folder.
std::filesystem::path bundledSampleStore(const std::filesystem::path& applicationFolder);

} // namespace brisk
