#pragma once
// Helpers of the date tests: an environment variable set for one scope (time
// zone and locale tests), and date values written as readable texts.

#include "platform/dates/DateValue.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace brisk::test {

// Sets (or, for nullptr, unsets) one environment variable and restores the
// old state on destruction; TZ changes are made known to the C library.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_hadValue = true;
            m_oldValue = old;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
        ::tzset();
    }
    ~ScopedEnv()
    {
        if (m_hadValue)
            ::setenv(m_name.c_str(), m_oldValue.c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
        ::tzset();
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    bool m_hadValue = false;
    std::string m_oldValue;
};

// "YYYY-MM-DD HH:MM:SS", or "refused" for no value, so that tables of
// expected results read as text.
inline std::string isoOrRefused(std::optional<DateValue> value)
{
    return value ? formatIsoTimestamp(*value) : std::string("refused");
}

} // namespace brisk::test
