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

// Thunderbird's profiles.ini: [ProfileN] sections with Path=, IsRelative=,
// Default=1; newer versions name the default in an [Install...] section's
// Default=. Read line by line, one profile section at a time.
class ProfilesIni {
public:
    explicit ProfilesIni(std::filesystem::path base) : m_base(std::move(base)) {}

    void read(std::istream& ini)
    {
        for (std::string line; std::getline(ini, line);)
            readLine(trim(line));
        closeSection();
    }

    // The install's default, else the profile marked default, else the first.
    std::filesystem::path chosenProfile() const
    {
        if (!m_installDefault.empty())
            return m_base / m_installDefault;
        return m_defaultPath.empty() ? m_firstPath : m_defaultPath;
    }

private:
    void readLine(const std::string& line)
    {
        if (!line.empty() && line[0] == '[') {
            closeSection();
            m_section = line;
        } else if (line.rfind("Path=", 0) == 0) {
            m_path = line.substr(5);
        } else if (line.rfind("IsRelative=", 0) == 0) {
            m_relative = line.substr(11) != "0";
        } else if (line == "Default=1") {
            m_isDefault = true;
        } else if (line.rfind("Default=", 0) == 0 && m_section.rfind("[Install", 0) == 0) {
            m_installDefault = line.substr(8);
        }
    }

    void closeSection()
    {
        if (m_section.rfind("[Profile", 0) == 0 && !m_path.empty()) {
            const auto full = m_relative ? m_base / m_path : std::filesystem::path(m_path);
            if (m_firstPath.empty())
                m_firstPath = full;
            if (m_isDefault)
                m_defaultPath = full;
        }
        m_path.clear();
        m_relative = true;
        m_isDefault = false;
    }

    std::filesystem::path m_base, m_firstPath, m_defaultPath;
    std::string m_section, m_path, m_installDefault;
    bool m_relative = true, m_isDefault = false;
};

} // namespace

std::optional<std::filesystem::path> thunderbirdLocalFolders(const std::filesystem::path& home)
{
    const auto base = home / ".thunderbird";
    std::ifstream ini(base / "profiles.ini");
    if (!ini)
        return std::nullopt;
    ProfilesIni profiles(base);
    profiles.read(ini);
    const std::filesystem::path profile = profiles.chosenProfile();
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
