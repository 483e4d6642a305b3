#include "platform/system/LoadedLibrary.h"

#include <dlfcn.h>

namespace brisk {

LoadedLibrary::LoadedLibrary(const char* soname) : m_handle(::dlopen(soname, RTLD_NOW | RTLD_LOCAL))
{
    if (!m_handle) {
        const char* why = ::dlerror();
        m_missing = why ? why : soname;
    }
}

void* LoadedLibrary::symbol(const char* name)
{
    if (!m_handle)
        return nullptr;
    void* found = ::dlsym(m_handle, name);
    if (!found && m_missing.empty())
        m_missing = std::string(name) + " is not in the library";
    return found;
}

} // namespace brisk
