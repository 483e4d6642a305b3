#include "stats/Cell.h"

#include "stats/Rounding.h"
#include "stats/Text.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace brisk {

bool Cell::isBlankText() const
{
    if (isEmpty())
        return true;
    const auto* text = std::get_if<std::string>(&m_value);
    return text && text->empty();
}

double Cell::number() const
{
    if (const auto* value = std::get_if<double>(&m_value))
        return *value;
    if (isEmpty())
        return 0;
    throw std::invalid_argument("type mismatch: text \"" + std::get<std::string>(m_value)
                                + "\" used as a number");
}

std::string Cell::text() const
{
    if (const auto* value = std::get_if<std::string>(&m_value))
        return *value;
    if (isEmpty())
        return {};
    return formatNumber(std::get<double>(m_value));
}

int compareCells(const Cell& a, const Cell& b)
{
    if (a.isEmpty() && b.isEmpty())
        return 0;
    if (a.isText() || b.isText()) {
        if (a.isNumber())
            return -1;
        if (b.isNumber())
            return 1;
        const std::string* textA = a.textIf();
        const std::string* textB = b.textIf();
        return compareUtf16(textA ? std::string_view(*textA) : std::string_view(),
                            textB ? std::string_view(*textB) : std::string_view());
    }
    const double x = a.number();
    const double y = b.number();
    return x < y ? -1 : (y < x ? 1 : 0);
}

Array::Array(long lower, long upper, const Cell& fill)
    : m_lower(lower), m_emptyResult(false)
{
    if (upper >= lower)
        m_cells.assign(static_cast<std::size_t>(upper - lower + 1), fill);
}

Array::Array(long lower, std::vector<Cell> cells)
    : m_lower(lower), m_cells(std::move(cells)), m_emptyResult(false)
{
}

Cell& Array::at(long index)
{
    return const_cast<Cell&>(static_cast<const Array&>(*this).at(index));
}

const Cell& Array::at(long index) const
{
    if (index < m_lower || index > upper())
        throw std::out_of_range("index " + std::to_string(index) + " outside the bounds "
                                + std::to_string(m_lower) + " To " + std::to_string(upper()));
    return m_cells[static_cast<std::size_t>(index - m_lower)];
}

void Array::resize(long lower, long upper)
{
    std::vector<Cell> cells(upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0);
    for (long i = std::max(lower, m_lower); i <= std::min(upper, this->upper()); ++i)
        cells[static_cast<std::size_t>(i - lower)] = std::move(m_cells[static_cast<std::size_t>(i - m_lower)]);
    m_lower = lower;
    m_cells = std::move(cells);
    m_emptyResult = false;
}

} // namespace brisk
