#include "platform/system/HostDateLocale.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

namespace brisk {
namespace {

// "/usr/share/zoneinfo/Europe/Berlin" names "Europe/Berlin".
std::string zoneOfPath(std::string_view path)
{
    static constexpr std::string_view kMarker = "zoneinfo/";
    const std::size_t at = path.rfind(kMarker);
    return std::string(at == std::string_view::npos ? path : path.substr(at + kMarker.size()));
}

std::optional<TimeZone> zoneOfTz(std::string_view tz)
{
    if (!tz.empty() && tz.front() == ':')
        tz.remove_prefix(1);
    if (tz.empty())
        return TimeZone::utc();
    return TimeZone::named(tz.front() == '/' ? zoneOfPath(tz) : std::string(tz));
}

std::optional<TimeZone> systemZone()
{
    std::error_code error;
    const std::filesystem::path link = std::filesystem::read_symlink("/etc/localtime", error);
    if (!error)
        if (auto zone = TimeZone::named(zoneOfPath(link.string())))
            return zone;
    std::ifstream file("/etc/timezone");
    std::string name;
    if (file && std::getline(file, name) && !name.empty())
        return TimeZone::named(name);
    return std::nullopt;
}

} // namespace

std::string hostTimeLocaleName()
{
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

TimeZone hostTimeZone()
{
    const char* tz = std::getenv("TZ");
    std::optional<TimeZone> zone = tz ? zoneOfTz(tz) : systemZone();
    return zone ? *zone : TimeZone::utc();
}

DateLocale hostDateLocale()
{
    return DateLocale{dateOrderOfLocale(hostTimeLocaleName()), hostTimeZone()};
}

} // namespace brisk
