#pragma once
// A shared library opened when it is first needed rather than when the
// program starts. Each library a program links costs every start its
// loading, and most runs never open an IMAP account or a workbook; libcurl
// and libzip with what they bring took 15 ms of brisk-cli's 30.

#include <string>

namespace brisk {

class LoadedLibrary {
public:
    // Opens `soname`; it is never closed (libraries such as TLS ones keep
    // global state that is not safe to unload).
    explicit LoadedLibrary(const char* soname);

    // Sets `function` to the library's function `name`; false, with
    // missing() saying why, when the library or the function is not there.
    template <typename Function>
    bool find(const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(symbol(name));
        return function != nullptr;
    }

    // Why the library or a function could not be found; empty if all were.
    const std::string& missing() const { return m_missing; }

private:
    void* symbol(const char* name);

    void* m_handle = nullptr;
    std::string m_missing;
};

} // namespace brisk
