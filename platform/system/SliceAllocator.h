#pragma once
// GLib before 2.76 serves its small blocks (GMime's objects and lists) from
// per-thread caches that trade full and empty batches through one shared
// depot under a lock. With items parsed on several threads that depot became
// the run's busiest lock: a run with one parse worker took 1.44 times the CPU
// of the walk alone, against 1.28 times with the blocks taken from malloc.
// GLib 2.76 and later take them from malloc anyway.
//
// GLib makes its first blocks in its own start-up code, before main, and
// the choice cannot change after the first block. So each program names
// takeSlicesFromMalloc in its pre-initialisation array, which the dynamic
// loader runs before any library's start-up code:
//
//     BRISK_SLICES_FROM_MALLOC
//
// at namespace scope in the file that holds main. (The programs used to
// start themselves a second time with G_SLICE=always-malloc, which cost as
// much again as a start: 30 ms, mostly loading libraries.)

namespace brisk {

// Has GLib take its small blocks from malloc, unless GLib is 2.76 or later
// or G_SLICE is set in `environment` (the user's choice stands). Only speed
// differs either way. Runs before any library is initialised: it reads
// nothing but its arguments and sets GLib's default, a plain static value.
void takeSlicesFromMalloc(int argc, char** argv, char** environment);

} // namespace brisk

#define BRISK_SLICES_FROM_MALLOC                                                                   \
    [[gnu::used, gnu::section(".preinit_array")]] static void (*const briskSlicesFromMalloc)(       \
        int, char**, char**) = &brisk::takeSlicesFromMalloc;
