#include "stats/Rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace brisk {

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode sends halves to even
}

double roundHalfEven(double value, int decimals)
{
    // Scale through the 15-digit decimal text so that a value such as 0.285,
    // stored as 0.28499999999999998, is rounded as the decimal it stands for.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", 14, value);
    const double exact = std::strtod(buf, nullptr);
    const double scale = std::pow(10.0, decimals);
    char scaled[64];
    std::snprintf(scaled, sizeof scaled, "%.*e", 14, exact * scale);
    return std::nearbyint(std::strtod(scaled, nullptr)) / scale;
}

std::string formatNumber(double value)
{
    if (value == 0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string text = buf;
    if (text.find('e') == std::string::npos)
        return text;
    // Large or tiny magnitudes: write them out without an exponent.
    std::snprintf(buf, sizeof buf, "%.15f", value);
    text = buf;
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.')
            text.pop_back();
    }
    return text;
}

} // namespace brisk
