#pragma once
// The array routines from which the statistics are computed: sums, scaled
// copies, the stable sort that carries a companion array, the
// median of a sorted array, the counting and ranking of distinct texts, and
// padding of a text to a column width. Routine names are the program's own.
//
// Cells are compared with compareCells (stats/Cell.h). Arithmetic counts an
// empty cell as 0; a text used as a number throws std::invalid_argument, an
// index outside an array's bounds throws std::out_of_range.

#include "stats/Cell.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brisk {

// Hands the text of a message box to the caller, which shows it (with the
// program's title and an OK button).
using Report = std::function<void(const std::string&)>;

inline constexpr const char* kArrayLengthsDontMatch = "Array lengths dont match";

// Sum of the cells from the lower to the upper bound, starting from 0.
double SumArray(const Array& values);
// New array with the bounds of `values`, each cell multiplied by `factor`.
Array ScaleArray(const Array& values, double factor);
// New array with the bounds and cells of `values`.
Array CopyArray(const Array& values);

// Sorted copy of `values` (descending unless `ascending`). Stable: equal cells
// keep their order. The result is the one of repeated exchange passes that
// swap strictly misordered neighbours until a pass swaps nothing. When a
// companion is given its cells are reordered in place exactly as the values.
// A companion whose bounds differ: report(kArrayLengthsDontMatch), nothing is
// changed, and the empty result is returned.
Array SortArray(const Array& values, bool ascending, Array* companion = nullptr,
                const Report& report = {});

// Median of the first `n` cells of an array already sorted (1 <= n <= size,
// else std::out_of_range): the middle cell, or the mean of the two middle ones.
double MedianOfSorted(const Array& sorted, long n);

// Distinct texts of `texts` (whose unused cells hold the empty text) and how
// often each occurs, in descending text order, as two arrays of bounds
// lower To lower + distinct - 1. The first empty text after sorting ends the
// input. A text that occurs once is recorded with the count 1. Without any
// text both outputs hold one empty cell.
void CountDistinct(const Array& texts, Array& values, Array& counts);
// CountDistinct, then both outputs ordered by count, largest first; equal
// counts keep the descending text order.
void RankByCount(const Array& texts, Array& values, Array& counts);

// `text` followed by (width - its UTF-16 length) copies of `pad`; a text as
// long as `width` or longer comes back unchanged, never cut.
std::string PadRight(std::string_view text, std::string_view pad, long width);

// New array with the bounds of `numerators`: numerator / divisor, or 0 where
// the divisor is 0. Different bounds: report(kArrayLengthsDontMatch) and the
// empty result.
Array DivideArrays(const Array& numerators, const Array& divisors, const Report& report = {});

} // namespace brisk
