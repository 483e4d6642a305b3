#include "platform/system/SliceAllocator.h"

#include <glib.h>

#include <cstdlib>
#include <unistd.h>

namespace brisk {

void restartWithMallocSlices(char** argv)
{
    // NULL: the GLib in use is 2.76 or later.
    if (!glib_check_version(2, 76, 0) || std::getenv("G_SLICE"))
        return;
    if (setenv("G_SLICE", "always-malloc", 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Not restarted (no /proc): GLib keeps its caches; only speed differs.
    unsetenv("G_SLICE");
}

} // namespace brisk
