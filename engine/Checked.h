#pragma once
// 32-bit counters that detect overflow on every increment: an overflow is an
// error of the step doing the arithmetic, reported like any other.

#include <cstdint>
#include <stdexcept>

namespace brisk {

class OverflowError : public std::overflow_error {
public:
    OverflowError() : std::overflow_error("Overflow") {}
};

inline void checkedAdd(std::int32_t& counter, std::int64_t delta)
{
    const std::int64_t sum = static_cast<std::int64_t>(counter) + delta;
    if (sum > INT32_MAX || sum < INT32_MIN)
        throw OverflowError();
    counter = static_cast<std::int32_t>(sum);
}

inline std::int32_t checkedMul(std::int32_t a, std::int32_t b)
{
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    if (product > INT32_MAX || product < INT32_MIN)
        throw OverflowError();
    return static_cast<std::int32_t>(product);
}

inline std::int32_t toCounter(std::int64_t value)
{
    if (value > INT32_MAX || value < INT32_MIN)
        throw OverflowError();
    return static_cast<std::int32_t>(value);
}

} // namespace brisk
