#include "platform/system/SliceAllocator.h"

#include <glib.h>

#include <cstring>

namespace brisk {

void takeSlicesFromMalloc(int, char**, char** environment)
{
    // NULL: the GLib in use is 2.76 or later.
    if (!glib_check_version(2, 76, 0))
        return;
    for (char** entry = environment; entry && *entry; ++entry) {
        if (std::strncmp(*entry, "G_SLICE=", 8) == 0)
            return;
    }
    // Deprecated since the slice allocator went, but it is the one switch
    // GLib 2.74 offers besides the environment: it sets the default that
    // the allocator copies when it makes its first block.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    g_slice_set_config(G_SLICE_CONFIG_ALWAYS_MALLOC, TRUE);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

} // namespace brisk
