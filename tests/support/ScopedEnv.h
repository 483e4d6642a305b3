#pragma once
// Sets (or, with no value, clears) one environment variable for a test and
// restores it after, so that tests run in one process leak no settings.
// tzset() makes time-zone changes known to the C library.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace brisk::test {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        set(value);
    }
    ~ScopedEnv() { set(m_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value)
    {
        value ? ::setenv(m_name.c_str(), value->c_str(), 1) : ::unsetenv(m_name.c_str());
        ::tzset();
    }
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace brisk::test
