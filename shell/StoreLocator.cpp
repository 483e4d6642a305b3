#include "shell/StoreLocator.h"

#include <cstdlib>
#include <fstream>

namespace brisk {
namespace {

std::optional<std::string> env(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

bool pathExists(const std::filesystem::path& p)
{
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

std::string trim(std::string s)
{
    while (!s.empty() && (s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

} // namespace

std::optional<std::filesystem::path> thunderbirdLocalFolders(const std::filesystem::path& home)
{
    // profiles.ini: [ProfileN] sections with Path=, IsRelative=, Default=1;
    // newer versions name the default in an [Install...] section's Default=.
    const auto base = home / ".thunderbird";
    std::ifstream ini(base / "profiles.ini");
    if (!ini)
        return std::nullopt;
    std::string line, section, path, installDefault, firstPath, defaultPath;
    bool relative = true, isDefault = false;
    auto closeSection = [&] {
        if (section.rfind("[Profile", 0) == 0 && !path.empty()) {
            const auto full = relative ? base / path : std::filesystem::path(path);
            if (firstPath.empty())
                firstPath = full.string();
            if (isDefault)
                defaultPath = full.string();
        }
        path.clear();
        relative = true;
        isDefault = false;
    };
    while (std::getline(ini, line)) {
        line = trim(line);
        if (!line.empty() && line[0] == '[') {
            closeSection();
            section = line;
        } else if (line.rfind("Path=", 0) == 0) {
            path = line.substr(5);
        } else if (line.rfind("IsRelative=", 0) == 0) {
            relative = line.substr(11) != "0";
        } else if (line == "Default=1") {
            isDefault = true;
        } else if (line.rfind("Default=", 0) == 0 && section.rfind("[Install", 0) == 0) {
            installDefault = line.substr(8);
        }
    }
    closeSection();
    std::filesystem::path profile = !installDefault.empty() ? base / installDefault
                                    : !defaultPath.empty()  ? std::filesystem::path(defaultPath)
                                                            : std::filesystem::path(firstPath);
    if (profile.empty())
        return std::nullopt;
    const auto local = profile / "Mail" / "Local Folders";
    if (!pathExists(local))
        return std::nullopt;
    return local;
}

std::filesystem::path bundledSampleStore(const std::filesystem::path& applicationFolder)
{
    // Installed, it lies in the data folder; the build makes it in data/
    // beside the programs' folder.
    const auto installed = applicationFolder / "sample-store";
    return pathExists(installed) ? installed : applicationFolder.parent_path() / "data" / "sample-store";
}

std::vector<std::filesystem::path> storeCandidates(const std::optional<std::string>& commandLineStore,
                                                   const std::filesystem::path& applicationFolder)
{
    std::vector<std::filesystem::path> out;
    auto consider = [&](const std::optional<std::filesystem::path>& p) {
        if (p && pathExists(*p))
            out.push_back(*p);
    };
    if (commandLineStore) {
        out.emplace_back(*commandLineStore); // tried even when missing, so the user hears why
        return out;
    }
    consider(env("MAILDIR"));
    if (const auto home = env("HOME")) {
        consider(std::filesystem::path(*home) / "Maildir");
        consider(std::filesystem::path(*home) / "mail");
        consider(thunderbirdLocalFolders(*home));
    }
    consider(env("MAIL"));
    consider(bundledSampleStore(applicationFolder));
    return out;
}

} // namespace brisk
