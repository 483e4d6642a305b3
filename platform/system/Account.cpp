#include "platform/system/Account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace brisk {

std::optional<AccountRecord> accountRecord(uid_t uid)
{
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
    for (;;) {
        passwd pw{};
        passwd* found = nullptr;
        const int rc = ::getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &found);
        // A record larger than the buffer: grow it, within reason.
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || !found)
            return std::nullopt;
        return AccountRecord{found->pw_name ? found->pw_name : "", found->pw_gecos ? found->pw_gecos : "",
                             found->pw_dir ? found->pw_dir : ""};
    }
}

std::string accountDisplayName()
{
    if (const auto record = accountRecord(::getuid())) {
        const std::string fullName = record->gecos.substr(0, record->gecos.find(','));
        if (!fullName.empty())
            return fullName;
        if (!record->login.empty())
            return record->login;
    }
    const char* user = std::getenv("USER");
    return user && *user ? user : std::to_string(::getuid());
}

} // namespace brisk
