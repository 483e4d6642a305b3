#include "shell/InstalledSettings.h"

#include "platform/system/HostDateLocale.h"

#include "export/ExportWorkflow.h"

namespace brisk {
namespace {

// A working-time setting that cannot be read fails the build, not a run.
constexpr auto kWorkingTime = parseWorkingTime(BRISK_WORKING_DAYS, BRISK_WORKING_HOURS);
static_assert(parseWorkingDays(BRISK_WORKING_DAYS), "BRISK_WORKING_DAYS: day names or ranges such as Mon-Fri");
static_assert(parseWorkingHours(BRISK_WORKING_HOURS), "BRISK_WORKING_HOURS: whole hours such as 09:00-18:00");

} // namespace

std::filesystem::path dataFolderOf(const std::filesystem::path& programFolder)
{
    // An installed program (bin/ beside share/brisk/) finds its data under
    // its prefix; in the build tree the data lie beside the program.
    const std::filesystem::path installed = (programFolder / BRISK_DATA_FROM_BINDIR).lexically_normal();
    std::error_code ec;
    if (std::filesystem::is_regular_file(installed / kTemplateFileName, ec))
        return installed;
    return programFolder;
}

Settings installedSettings(const std::filesystem::path& programFolder)
{
    Settings settings;
    settings.SharedOutputFolder = BRISK_SHARED_OUTPUT_FOLDER;
    // Log names are appended to the folder text, so it must end in a
    // separator; an empty setting stays empty (no shared folder), never "/".
    if (!settings.SharedOutputFolder.empty() && !settings.SharedOutputFolder.ends_with('/'))
        settings.SharedOutputFolder += '/';
    settings.AdminUserName = BRISK_ADMIN_USER_NAME;
    settings.ProductHomePageUrl = BRISK_PRODUCT_HOME_PAGE_URL;
    settings.HowItWorksPageUrl = BRISK_HOW_IT_WORKS_PAGE_URL;
    settings.workingTime = *kWorkingTime;
    settings.applicationFolder = dataFolderOf(programFolder);
    settings.dateLocale = hostDateLocale();
    return settings;
}

} // namespace brisk
