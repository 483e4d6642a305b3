#include "shell/InstalledSettings.h"

namespace brisk {

Settings installedSettings(const std::filesystem::path& applicationFolder)
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
    settings.applicationFolder = applicationFolder;
    return settings;
}

} // namespace brisk
