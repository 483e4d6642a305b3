#pragma once
// The installation settings compiled into the program (set when it is built,
// see the BRISK_* cache variables of the top-level CMakeLists.txt).

#include "engine/Settings.h"

#include <filesystem>

namespace brisk {

// The built-in settings, with applicationFolder as the folder holding the
// log and workbook templates. SharedOutputFolder always ends in "/" unless
// it was configured empty.
Settings installedSettings(const std::filesystem::path& applicationFolder);

} // namespace brisk
