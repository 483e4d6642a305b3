#include "dates/DateText.h"

#include <array>
#include <cstddef>
#include <string_view>

// Reads the date texts people type and mail clients quote ("Monday, September
// 02, 2002 3:45 PM", "Wed 2/6/2002 3:44 PM", "22 August 2002 19:58",
// "2002-09-02"). The text is cut into a few tokens on the stack and matched
// against a handful of token patterns: an optional weekday, one date form, an
// optional time, nothing else. The calendar and the clock are checked, never
// rolled over.

namespace brisk {
namespace {

enum class TokenKind : unsigned char { Number, Word, Punct };

struct Token {
    TokenKind kind = TokenKind::Punct;
    bool spaced = false;  // white space or a comma stands before it
    char punct = 0;       // the character of a Punct token
    int digits = 0;       // the digit count of a Number token
    int value = 0;        // the value of a Number token (saturates, see digits)
    std::string_view word;
};

// More tokens than any accepted form has ("Wednesday, September 02, 2002
// 10:15:30 PM" is 11): a longer text is not a date.
constexpr std::size_t kMaxTokens = 16;

struct Tokens {
    std::array<Token, kMaxTokens> items{};
    std::size_t count = 0;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isPunct(char c) { return c == '/' || c == '.' || c == '-' || c == ':'; }

// Cuts the text into numbers, words and the punctuation of dates and times;
// false for any other character or too many tokens.
bool tokenize(std::string_view text, Tokens& out)
{
    bool spaced = true;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isSpace(c) || c == ',') {
            spaced = true;
            ++i;
            continue;
        }
        if (out.count == kMaxTokens)
            return false;
        Token& t = out.items[out.count++];
        t.spaced = spaced;
        spaced = false;
        const std::size_t start = i;
        if (isDigit(c)) {
            t.kind = TokenKind::Number;
            for (; i < text.size() && isDigit(text[i]); ++i)
                if (t.value < 100000)
                    t.value = t.value * 10 + (text[i] - '0');
            t.digits = static_cast<int>(i - start);
        } else if (isLetter(c)) {
            t.kind = TokenKind::Word;
            while (i < text.size() && isLetter(text[i]))
                ++i;
            t.word = text.substr(start, i - start);
        } else if (isPunct(c)) {
            t.kind = TokenKind::Punct;
            t.punct = c;
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoreCase(std::string_view text, std::string_view lowerName)
{
    if (text.size() != lowerName.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (lower(text[i]) != lowerName[i])
            return false;
    return true;
}

// 1-based index of the name the word spells in full or by its first three
// letters, any case; 0 when none.
template <std::size_t N>
int lookupName(std::string_view word, const std::array<std::string_view, N>& names)
{
    for (std::size_t i = 0; i < N; ++i)
        if (equalsIgnoreCase(word, names[i]) || (word.size() == 3 && equalsIgnoreCase(word, names[i].substr(0, 3))))
            return static_cast<int>(i) + 1;
    return 0;
}

constexpr std::array<std::string_view, 12> kMonths = {"january", "february", "march",     "april",
                                                      "may",     "june",     "july",      "august",
                                                      "september", "october", "november", "december"};
constexpr std::array<std::string_view, 7> kWeekdays = {"monday", "tuesday",  "wednesday", "thursday",
                                                       "friday", "saturday", "sunday"};

struct Cursor {
    const Tokens& tokens;
    std::size_t pos = 0;

    const Token* at(std::size_t ahead) const
    {
        return pos + ahead < tokens.count ? &tokens.items[pos + ahead] : nullptr;
    }
    bool atEnd() const { return pos >= tokens.count; }
};

bool isNumber(const Token* t, int minDigits, int maxDigits)
{
    return t && t->kind == TokenKind::Number && t->digits >= minDigits && t->digits <= maxDigits;
}
bool isPunct(const Token* t, char c) { return t && t->kind == TokenKind::Punct && t->punct == c && !t->spaced; }
bool isGluedNumber(const Token* t, int minDigits, int maxDigits) { return isNumber(t, minDigits, maxDigits) && !t->spaced; }
int monthOfWord(const Token* t) { return t && t->kind == TokenKind::Word ? lookupName(t->word, kMonths) : 0; }

// Four-digit years stand as written; two-digit ones go through the 2029/1930
// pivot; any other length is not a year.
bool readYear(const Token* t, int& year)
{
    const std::optional<int> y = isNumber(t, 2, 4) ? yearOfNumber(t->digits, t->value) : std::nullopt;
    year = y.value_or(year);
    return y.has_value();
}

struct Ymd {
    int year = 0, month = 0, day = 0;
};

// D/M/Y or M/D/Y by the given order; when that reading is no calendar date,
// the other one.
bool resolveNumeric(int first, int second, int year, DateOrder order, Ymd& out)
{
    const bool dayFirst = order == DateOrder::DayFirst;
    for (const bool df : {dayFirst, !dayFirst}) {
        const int day = df ? first : second, month = df ? second : first;
        if (isValidDate(year, month, day)) {
            out = {year, month, day};
            return true;
        }
    }
    return false;
}

// N sep N sep N with one separator of "/.-" used twice and nothing between:
// YYYY-MM-DD, or day and month in either order followed by the year.
bool readNumericDate(Cursor& c, DateOrder order, Ymd& out)
{
    const Token *a = c.at(0), *s1 = c.at(1), *b = c.at(2), *s2 = c.at(3), *y = c.at(4);
    if (!isNumber(a, 1, 4) || !s1 || s1->kind != TokenKind::Punct || s1->punct == ':')
        return false;
    const char sep = s1->punct;
    if (!isPunct(s1, sep) || !isGluedNumber(b, 1, 2) || !isPunct(s2, sep) || !isGluedNumber(y, 1, 4))
        return false;
    bool ok = false;
    if (a->digits == 4) {
        ok = sep == '-' && y->digits <= 2 && isValidDate(a->value, b->value, y->value);
        out = {a->value, b->value, y->value};
    } else if (a->digits <= 2) {
        int year = 0;
        ok = readYear(y, year) && resolveNumeric(a->value, b->value, year, order, out);
    }
    if (ok)
        c.pos += 5;
    return ok;
}

// "D Month Y" or "Month D Y" (a comma after D is a separator like a blank).
bool readWordDate(Cursor& c, Ymd& out)
{
    const Token *t0 = c.at(0), *t1 = c.at(1), *t2 = c.at(2);
    if (!t1 || !t2 || !t1->spaced || !t2->spaced)
        return false;
    int month = monthOfWord(t1), day = 0;
    if (month != 0 && isNumber(t0, 1, 2)) {
        day = t0->value;
    } else if ((month = monthOfWord(t0)) != 0 && isNumber(t1, 1, 2)) {
        day = t1->value;
    } else {
        return false;
    }
    int year = 0;
    if (!readYear(t2, year) || !isValidDate(year, month, day))
        return false;
    out = {year, month, day};
    c.pos += 3;
    return true;
}

struct Hms {
    int hour = 0, minute = 0, second = 0;
};

// AM/PM clock: 12 AM is midnight, 12 PM is noon, hours 1 to 12 only.
bool applyMeridiem(const Token* t, Hms& time)
{
    const bool pm = equalsIgnoreCase(t->word, "pm");
    if (!pm && !equalsIgnoreCase(t->word, "am"))
        return false;
    if (time.hour < 1 || time.hour > 12)
        return false;
    time.hour = time.hour % 12 + (pm ? 12 : 0);
    return true;
}

// H:MM or H:MM:SS, after a blank, optionally followed by AM or PM (with or
// without a blank before it).
bool readTime(Cursor& c, Hms& out)
{
    const Token *h = c.at(0), *colon = c.at(1), *m = c.at(2);
    if (!isNumber(h, 1, 2) || !h->spaced || !isPunct(colon, ':') || !isGluedNumber(m, 2, 2))
        return false;
    Hms time{h->value, m->value, 0};
    std::size_t used = 3;
    if (isPunct(c.at(3), ':') && isGluedNumber(c.at(4), 2, 2)) {
        time.second = c.at(4)->value;
        used = 5;
    }
    const Token* marker = c.at(used);
    if (marker && marker->kind == TokenKind::Word) {
        if (!applyMeridiem(marker, time))
            return false;
        ++used;
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 59)
        return false;
    out = time;
    c.pos += used;
    return true;
}

void skipWeekday(Cursor& c)
{
    const Token* t = c.at(0);
    const Token* next = c.at(1);
    if (t && t->kind == TokenKind::Word && lookupName(t->word, kWeekdays) != 0 && (!next || next->spaced))
        ++c.pos;
}

} // namespace

DateOrder dateOrderOfLocale(std::string_view locale)
{
    // language[_territory][.codeset][@modifier]
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos)
        return DateOrder::DayFirst;
    std::string_view territory = locale.substr(underscore + 1);
    territory = territory.substr(0, territory.find_first_of(".@"));
    return equalsIgnoreCase(territory, "us") ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

std::optional<DateValue> parseDateText(std::string_view text, DateOrder order)
{
    Tokens tokens;
    if (!tokenize(text, tokens))
        return std::nullopt;
    Cursor c{tokens};
    skipWeekday(c);
    Ymd date;
    if (!readNumericDate(c, order, date) && !readWordDate(c, date))
        return std::nullopt;
    Hms time;
    if (!c.atEnd() && !readTime(c, time))
        return std::nullopt;
    if (!c.atEnd())
        return std::nullopt;
    return makeDate(date.year, date.month, date.day, time.hour, time.minute, time.second);
}

} // namespace brisk
