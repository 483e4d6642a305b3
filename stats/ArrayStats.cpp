#include "stats/ArrayStats.h"

#include "stats/Text.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string_view>

namespace brisk {
namespace {

bool sameBounds(const Array& a, const Array& b)
{
    return a.lower() == b.lower() && a.upper() == b.upper();
}

// Does the exchange pass swap the neighbours (left, right)?
bool misordered(const Cell& left, const Cell& right, bool ascending)
{
    const int order = compareCells(left, right);
    return ascending ? order > 0 : order < 0;
}

// The permutation made by the exchange passes themselves. Every swap removes
// exactly one misordered pair and adds none, so the passes end for any order,
// also one that is not transitive.
std::vector<std::size_t> exchangeOrder(const std::vector<Cell>& cells, bool ascending)
{
    std::vector<std::size_t> order(cells.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < order.size(); ++i) {
            if (misordered(cells[order[i]], cells[order[i + 1]], ascending)) {
                std::swap(order[i], order[i + 1]);
                swapped = true;
            }
        }
    }
    return order;
}

// Stable sort of positions by keys taken out of the cells once.
template <typename Key, typename Compare>
std::vector<std::size_t> stableOrder(const std::vector<Key>& keys, bool ascending, Compare compare)
{
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int result = compare(keys[a], keys[b]);
        return ascending ? result < 0 : result > 0;
    });
    return order;
}

int compareNumbers(double a, double b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Exchange passes over a total order leave equal cells in their first order
// and strictly ordered ones sorted: the result of any stable sort. An array
// holding numbers, texts and empty cells at once has no total order (an empty
// cell ties with 0 and with the empty text, which differ), so there only the
// passes themselves define the result.
std::vector<std::size_t> sortedOrder(const std::vector<Cell>& cells, bool ascending)
{
    bool number = false, text = false, empty = false;
    for (const Cell& cell : cells) {
        number = number || cell.isNumber();
        text = text || cell.isText();
        empty = empty || cell.isEmpty();
    }
    if (!text) {
        std::vector<double> keys;
        keys.reserve(cells.size());
        for (const Cell& cell : cells)
            keys.push_back(cell.number());
        return stableOrder(keys, ascending, compareNumbers);
    }
    if (!number) {
        std::vector<std::string_view> keys;
        keys.reserve(cells.size());
        for (const Cell& cell : cells)
            keys.push_back(cell.textIf() ? std::string_view(*cell.textIf()) : std::string_view());
        return stableOrder(keys, ascending, compareUtf16);
    }
    if (!empty)
        return stableOrder(cells, ascending, compareCells);
    return exchangeOrder(cells, ascending);
}

Array permuted(const Array& source, const std::vector<std::size_t>& order)
{
    std::vector<Cell> cells;
    cells.reserve(order.size());
    for (std::size_t from : order)
        cells.push_back(source.cells()[from]);
    return Array(source.lower(), std::move(cells));
}

// The companion is changed in place, so its cells can be moved.
void permuteInPlace(Array& array, const std::vector<std::size_t>& order)
{
    std::vector<Cell> cells;
    cells.reserve(order.size());
    for (std::size_t from : order)
        cells.push_back(std::move(array.cells()[from]));
    array.cells() = std::move(cells);
}

} // namespace

double SumArray(const Array& values)
{
    double sum = 0;
    for (const Cell& cell : values.cells())
        sum += cell.number();
    return sum;
}

Array ScaleArray(const Array& values, double factor)
{
    Array scaled(values.lower(), values.upper());
    for (long i = values.lower(); i <= values.upper(); ++i)
        scaled[i] = values[i].number() * factor;
    return scaled;
}

Array CopyArray(const Array& values)
{
    return Array(values.lower(), values.cells());
}

Array SortArray(const Array& values, bool ascending, Array* companion, const Report& report)
{
    if (companion && !sameBounds(*companion, values)) {
        if (report)
            report(kArrayLengthsDontMatch);
        return Array();
    }
    const std::vector<std::size_t> order = sortedOrder(values.cells(), ascending);
    if (companion)
        permuteInPlace(*companion, order);
    return permuted(values, order);
}

double MedianOfSorted(const Array& sorted, long n)
{
    if (n < 1 || n > static_cast<long>(sorted.size()))
        throw std::out_of_range("median of " + std::to_string(n) + " cells of an array of "
                                + std::to_string(sorted.size()));
    const long middle = sorted.lower() + n / 2;
    if (n % 2 == 1)
        return sorted[middle].number();
    return (sorted[middle - 1].number() + sorted[middle].number()) * 0.5;
}

void CountDistinct(const Array& texts, Array& values, Array& counts)
{
    const long lower = texts.lower();
    const Array sorted = SortArray(texts, false);
    if (sorted.size() == 0 || sorted[lower].isBlankText()) {
        values = Array(lower, lower); // no text at all: one empty slot
        counts = values;
        return;
    }
    values = Array(lower, texts.upper());
    counts = values;
    // Runs of equal texts follow each other in the sorted copy; slot r holds
    // the current run's text and its length so far.
    long r = lower;
    long start = lower;
    values[r] = sorted[lower];
    counts[r] = 1;
    for (long i = lower + 1; i <= sorted.upper(); ++i) {
        if (sorted[i].isBlankText())
            break; // empty texts sort last and end the input
        if (compareCells(sorted[i - 1], sorted[i]) != 0) {
            ++r;
            start = i;
            values[r] = sorted[i];
        }
        counts[r] = i - start + 1;
    }
    values.resize(lower, r);
    counts.resize(lower, r);
}

void RankByCount(const Array& texts, Array& values, Array& counts)
{
    CountDistinct(texts, values, counts);
    counts = SortArray(counts, false, &values);
}

std::string PadRight(std::string_view text, std::string_view pad, long width)
{
    std::string padded(text);
    const long missing = width - static_cast<long>(utf16Length(text));
    for (long k = 0; k < missing; ++k)
        padded += pad;
    return padded;
}

Array DivideArrays(const Array& numerators, const Array& divisors, const Report& report)
{
    if (!sameBounds(numerators, divisors)) {
        if (report)
            report(kArrayLengthsDontMatch);
        return Array();
    }
    Array quotients = CopyArray(numerators);
    for (long i = numerators.lower(); i <= numerators.upper(); ++i) {
        const double divisor = divisors[i].number();
        quotients[i] = divisor == 0 ? 0.0 : numerators[i].number() / divisor;
    }
    return quotients;
}

} // namespace brisk
