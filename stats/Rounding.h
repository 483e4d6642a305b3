#pragma once
// Every rounding in the program sends halves to the even neighbour
// (2.5 gives 2, 3.5 gives 4), as banker's rounding does.

#include <string>

namespace brisk {

double roundHalfEven(double value);
// Rounded to `decimals` places, halves to even, on the decimal value written
// with 15 significant digits (so 0.125 gives 0.12 and 0.285 gives 0.28).
double roundHalfEven(double value, int decimals);
// Plain decimal text with at most 15 significant digits, no separators, no
// exponent for ordinary magnitudes ("7", "0.43", "-1", "33.3333333333333").
std::string formatNumber(double value);

} // namespace brisk
