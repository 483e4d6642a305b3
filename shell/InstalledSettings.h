#pragma once
// The installation settings compiled into the program (set when it is built,
// see the BRISK_* cache variables of the top-level CMakeLists.txt).

#include "engine/Settings.h"

#include <filesystem>

namespace brisk {

// Where the program's data (the log and workbook templates, the sample store)
// lie: share/brisk under the prefix of an installed program (programFolder is
// its bin/), else programFolder itself, as in the build tree.
std::filesystem::path dataFolderOf(const std::filesystem::path& programFolder);

// The built-in settings, with applicationFolder the data folder of the
// program in programFolder. SharedOutputFolder always ends in "/" unless it
// was configured empty.
Settings installedSettings(const std::filesystem::path& programFolder);

} // namespace brisk
