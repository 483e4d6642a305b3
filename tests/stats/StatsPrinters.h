#pragma once
// Readable GoogleTest failure output for cells and arrays.

#include "stats/Cell.h"
#include "stats/LiveStats.h"

#include <ostream>

namespace brisk {

inline void PrintTo(const Cell& cell, std::ostream* out)
{
    if (cell.isEmpty())
        *out << "Empty";
    else if (cell.isText())
        *out << '"' << cell.text() << '"';
    else
        *out << cell.text();
}

inline void PrintTo(const Array& array, std::ostream* out)
{
    if (array.isEmptyResult()) {
        *out << "(empty result)";
        return;
    }
    *out << '(' << array.lower() << " To " << array.upper() << ":";
    for (const Cell& cell : array.cells()) {
        *out << ' ';
        PrintTo(cell, out);
    }
    *out << ')';
}

inline void PrintTo(const RankedCounter::Entry& entry, std::ostream* out)
{
    *out << '"' << entry.name << "\" x " << entry.count;
}

} // namespace brisk
