#pragma once
// GLib before 2.76 serves its small blocks (GMime's objects and lists) from
// per-thread caches that trade full and empty batches through one shared
// depot under a lock. With items parsed on several threads that depot became
// the run's busiest lock: a run with one parse worker took 1.44 times the CPU
// of the walk alone, against 1.28 times with the blocks taken from malloc.
// GLib 2.76 and later take them from malloc anyway. GLib reads the choice
// from G_SLICE while it starts, before main, so the program starts itself
// once more with G_SLICE=always-malloc.

namespace brisk {

// Starts the program again with G_SLICE=always-malloc and the same
// arguments, unless GLib is 2.76 or later or G_SLICE is already set (by the
// user, or by the first start). Returns only when the program is not
// restarted; it then runs as it is, with the same results.
void restartWithMallocSlices(char** argv);

} // namespace brisk
