#pragma once
// The four installation settings, fixed when the program is built, plus the
// folder the program runs from (where the log template and the workbook
// template lie). Tests construct the settings they need.

#include "dates/DateLocale.h"
#include "engine/WorkingTime.h"

#include <filesystem>
#include <string>

namespace brisk {

struct Settings {
    // Folder for usage logs and shared results; a path ending in "/".
    std::string SharedOutputFolder;
    // Mail-store display name of the administrator user.
    std::string AdminUserName;
    std::string ProductHomePageUrl;
    std::string HowItWorksPageUrl;
    // Working days and hours (BRISK_WORKING_DAYS, BRISK_WORKING_HOURS).
    WorkingTime workingTime;
    // The application's folder: log.txt and the workbook template lie here.
    std::filesystem::path applicationFolder;
    // The user's date order and time zone, read from the environment at
    // start-up: how typed and quoted dates are read and mail times shown.
    DateLocale dateLocale;
};

} // namespace brisk
