#pragma once
// Readable GoogleTest failure output for cells, arrays and ranked entries.

#include "stats/Cell.h"
#include "stats/LiveStats.h"

#include <ostream>

namespace brisk {

inline void PrintTo(const Cell& cell, std::ostream* out) { *out << (cell.isText() ? '"' + cell.text() + '"' : cell.isEmpty() ? "Empty" : cell.text()); }

inline void PrintTo(const Array& array, std::ostream* out)
{
    *out << '(' << array.lower() << " To " << array.upper() << ":";
    for (const Cell& cell : array.cells())
        PrintTo(cell, &(*out << ' '));
    *out << (array.isEmptyResult() ? " empty result)" : ")");
}

inline void PrintTo(const RankedCounter::Entry& entry, std::ostream* out) { *out << '"' << entry.name << "\" x " << entry.count; }

} // namespace brisk
