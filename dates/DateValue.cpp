#include "dates/DateValue.h"

#include <cstdio>

namespace brisk {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's
// days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kEpochDays = daysFromCivil(1899, 12, 30);

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

std::string twoDigits(int v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v % 100 < 0 ? -(v % 100) : v % 100);
    return buf;
}

} // namespace

bool isValidDate(int year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = month == 2 && leap ? 29 : kDays[month - 1];
    return day <= last;
}

DateValue makeDate(int year, int month, int day, int hour, int minute, int second)
{
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochDays;
    return fromSeconds(days * kSecondsPerDay + hour * 3600LL + minute * 60LL + second);
}

std::int64_t toSeconds(DateValue value)
{
    const double s = value * static_cast<double>(kSecondsPerDay);
    return static_cast<std::int64_t>(s < 0 ? s - 0.5 : s + 0.5);
}

DateValue fromSeconds(std::int64_t seconds)
{
    return static_cast<double>(seconds) / static_cast<double>(kSecondsPerDay);
}

DateParts splitDate(DateValue value)
{
    const std::int64_t secs = toSeconds(value);
    const std::int64_t days = floorDiv(secs, kSecondsPerDay);
    const std::int64_t rest = secs - days * kSecondsPerDay;
    DateParts p;
    civilFromDays(days + kEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(rest / 3600);
    p.minute = static_cast<int>(rest / 60 % 60);
    p.second = static_cast<int>(rest % 60);
    return p;
}

int weekdayOf(DateValue value)
{
    // 30 December 1899 was a Saturday (6).
    const std::int64_t days = floorDiv(toSeconds(value), kSecondsPerDay);
    return static_cast<int>(((days + 5) % 7 + 7) % 7) + 1;
}

DateValue datePart(DateValue value)
{
    return fromSeconds(floorDiv(toSeconds(value), kSecondsPerDay) * kSecondsPerDay);
}

std::int64_t daysBetween(DateValue from, DateValue to)
{
    return floorDiv(toSeconds(to), kSecondsPerDay) - floorDiv(toSeconds(from), kSecondsPerDay);
}

std::int64_t hoursBetween(DateValue from, DateValue to)
{
    return floorDiv(toSeconds(to), 3600) - floorDiv(toSeconds(from), 3600);
}

std::int64_t minutesBetween(DateValue from, DateValue to)
{
    return floorDiv(toSeconds(to), 60) - floorDiv(toSeconds(from), 60);
}

std::string formatLogTimestamp(DateValue value)
{
    const DateParts p = splitDate(value);
    return twoDigits(p.day) + "-" + twoDigits(p.month) + "-" + twoDigits(p.year) + " " + twoDigits(p.hour) + ":" +
           twoDigits(p.minute) + ":" + twoDigits(p.second);
}

std::string formatFileTimestamp(DateValue value)
{
    const DateParts p = splitDate(value);
    return twoDigits(p.day) + "-" + twoDigits(p.month) + "-" + twoDigits(p.year) + " " + twoDigits(p.hour) + "-" +
           twoDigits(p.minute) + "-" + twoDigits(p.second);
}

std::string formatShortDate(DateValue value)
{
    const DateParts p = splitDate(value);
    return twoDigits(p.day) + "/" + twoDigits(p.month) + "/" + twoDigits(p.year);
}

std::string formatIsoTimestamp(DateValue value)
{
    const DateParts p = splitDate(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return buf;
}

int expandTwoDigitYear(int year)
{
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<int> yearOfNumber(int digits, int value)
{
    if (digits == 4)
        return value;
    if (digits == 2)
        return expandTwoDigitYear(value);
    return std::nullopt;
}

std::optional<DateValue> parseLogTimestamp(std::string_view text)
{
    // DD-MM-YY HH:MM:SS, every field two digits.
    static constexpr std::string_view kShape = "00-00-00 00:00:00";
    if (text.size() != kShape.size())
        return std::nullopt;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '0' ? !digit : text[i] != kShape[i])
            return std::nullopt;
    }
    auto field = [&](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    const int day = field(0), month = field(3), year = expandTwoDigitYear(field(6));
    const int hour = field(9), minute = field(12), second = field(15);
    if (!isValidDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return makeDate(year, month, day, hour, minute, second);
}

} // namespace brisk
