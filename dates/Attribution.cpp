#include "dates/Attribution.h"

#include "dates/AttributionWords.h"

#include <array>
#include <cstdint>
#include <string>

// The line is cut into a few tokens (numbers, words, single punctuation
// characters; blanks and commas only separate) and read from its start: an
// optional weekday, a date, connecting words ("at", "um", "à", "a las",
// "om"), a time with an optional AM/PM and zone. What follows is the
// writer's name, which is not read. Names of weekdays and months are known in
// English, German, French, Spanish and Dutch, in full or cut short.

namespace brisk {
namespace {

using namespace attribution;

// A longer line is no attribution (a paragraph that happens to start "On ").
constexpr std::size_t kMaxLineLength = 400;

struct Cursor {
    const Tokens* tokens = nullptr;
    std::size_t pos = 0;
    const Token* at(std::size_t ahead) const
    {
        return pos + ahead < tokens->count ? &tokens->items[pos + ahead] : nullptr;
    }
};

bool isNumber(const Token* t, int minDigits, int maxDigits)
{
    return t && t->kind == Kind::Number && t->digits >= minDigits && t->digits <= maxDigits;
}
bool isPunct(const Token* t, char c) { return t && t->kind == Kind::Punct && t->punct == c; }
bool isGlued(const Token* t) { return t && !t->spaced; }
bool isWord(const Token* t, std::string_view lowerWord) { return t && t->kind == Kind::Word && lowered(t->word) == lowerWord; }

void skipGluedDot(Cursor& c)
{
    if (isPunct(c.at(0), '.') && isGlued(c.at(0)))
        ++c.pos;
}

bool readYear(const Token* t, int& year)
{
    const std::optional<int> y = isNumber(t, 2, 4) ? yearOfNumber(t->digits, t->value) : std::nullopt;
    year = y.value_or(year);
    return y.has_value();
}

struct Ymd {
    int year = 0, month = 0, day = 0;
};

// D/M/Y, D.M.Y, D-M-Y (day and month swapped when the given order's reading
// is no calendar date, as the quoted "Sent: " line is read), or Y-M-D.
bool readNumericDate(Cursor& c, DateOrder order, Ymd& out)
{
    const Token *a = c.at(0), *s1 = c.at(1), *b = c.at(2), *s2 = c.at(3), *y = c.at(4);
    if (!isNumber(a, 1, 4) || !s1 || s1->kind != Kind::Punct)
        return false;
    const char sep = s1->punct;
    if ((sep != '/' && sep != '.' && sep != '-') || !isGlued(s1) || !isNumber(b, 1, 2) || !isGlued(b)
        || !isPunct(s2, sep) || !isGlued(s2) || !isNumber(y, 1, 4) || !isGlued(y))
        return false;
    if (a->digits == 4) {
        if (sep != '-' || y->digits > 2 || !isValidDate(a->value, b->value, y->value))
            return false;
        out = {a->value, b->value, y->value};
    } else {
        int year = 0;
        if (a->digits > 2 || !readYear(y, year))
            return false;
        const bool dayFirst = order == DateOrder::DayFirst;
        bool found = false;
        for (const bool df : {dayFirst, !dayFirst}) {
            const int day = df ? a->value : b->value, month = df ? b->value : a->value;
            if (!found && isValidDate(year, month, day)) {
                out = {year, month, day};
                found = true;
            }
        }
        if (!found)
            return false;
    }
    c.pos += 5;
    return true;
}

// "5 Jan 2015", "5. Januar 2015", "5 janv. 2015", "5 de enero de 2015",
// "Jan 5, 2015".
bool readWordDate(Cursor& c, Ymd& out)
{
    Cursor r = c;
    int day = 0, month = 0;
    if (isNumber(r.at(0), 1, 2)) {
        day = r.at(0)->value;
        ++r.pos;
        skipGluedDot(r);
        if (isWord(r.at(0), "de"))
            ++r.pos;
        if (!r.at(0) || r.at(0)->kind != Kind::Word || (month = monthOfWord(r.at(0)->word)) == 0)
            return false;
        ++r.pos;
        skipGluedDot(r);
        if (isWord(r.at(0), "de"))
            ++r.pos;
    } else if (r.at(0) && r.at(0)->kind == Kind::Word && (month = monthOfWord(r.at(0)->word)) != 0) {
        ++r.pos;
        skipGluedDot(r);
        if (!isNumber(r.at(0), 1, 2))
            return false;
        day = r.at(0)->value;
        ++r.pos;
    } else {
        return false;
    }
    int year = 0;
    if (!readYear(r.at(0), year) || !isValidDate(year, month, day))
        return false;
    ++r.pos;
    c = r;
    out = {year, month, day};
    return true;
}

bool readDate(Cursor& c, DateOrder order, Ymd& out)
{
    return readNumericDate(c, order, out) || readWordDate(c, out);
}

struct Hms {
    int hour = 0, minute = 0, second = 0;
};

// "AM", "pm", "a.m.", "p. m." after a time; false when there is none.
bool readMeridiem(Cursor& c, bool& pm)
{
    const Token* t = c.at(0);
    if (!t || t->kind != Kind::Word)
        return false;
    const std::string w = lowered(t->word);
    if (w == "am" || w == "pm") {
        pm = w == "pm";
        ++c.pos;
        return true;
    }
    if ((w == "a" || w == "p") && isPunct(c.at(1), '.') && isWord(c.at(2), "m") && isPunct(c.at(3), '.')) {
        pm = w == "p";
        c.pos += 4;
        return true;
    }
    return false;
}

bool readTime(Cursor& c, Hms& out)
{
    const Token *h = c.at(0), *colon = c.at(1), *m = c.at(2);
    if (!isNumber(h, 1, 2) || !isPunct(colon, ':') || !isGlued(colon) || !isNumber(m, 2, 2) || !isGlued(m))
        return false;
    Cursor r = c;
    Hms time{h->value, m->value, 0};
    r.pos += 3;
    if (isPunct(r.at(0), ':') && isGlued(r.at(0)) && isNumber(r.at(1), 2, 2) && isGlued(r.at(1))) {
        time.second = r.at(1)->value;
        r.pos += 2;
    }
    bool pm = false;
    if (readMeridiem(r, pm)) {
        if (time.hour < 1 || time.hour > 12)
            return false;
        time.hour = time.hour % 12 + (pm ? 12 : 0);
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 59)
        return false;
    out = time;
    c = r;
    return true;
}

// "+0100", "-0600", "GMT", "UTC", "GMT+1", "UTC+01:00": the offset east of
// UTC in minutes, or nullopt when no zone follows (the time is local).
std::optional<int> readZone(Cursor& c)
{
    Cursor r = c;
    bool named = false;
    if (isWord(r.at(0), "gmt") || isWord(r.at(0), "utc") || isWord(r.at(0), "z")) {
        named = true;
        ++r.pos;
    }
    const Token* sign = r.at(0);
    if ((isPunct(sign, '+') || isPunct(sign, '-')) && isNumber(r.at(1), 1, 4) && isGlued(r.at(1))) {
        const Token* n = r.at(1);
        int hours = n->digits <= 2 ? n->value : n->value / 100;
        int minutes = n->digits <= 2 ? 0 : n->value % 100;
        r.pos += 2;
        if (n->digits <= 2 && isPunct(r.at(0), ':') && isNumber(r.at(1), 2, 2)) {
            minutes = r.at(1)->value;
            r.pos += 2;
        }
        if ((n->digits == 4 || named) && hours <= 14 && minutes <= 59) {
            c = r;
            return (sign->punct == '-' ? -1 : 1) * (hours * 60 + minutes);
        }
        return std::nullopt;
    }
    if (named) {
        c = r;
        return 0;
    }
    return std::nullopt;
}

void skipConnectors(Cursor& c)
{
    static constexpr std::string_view kWords[] = {"at", "um", "\xC3\xA0", "a", "las", "om", "kl"};
    while (const Token* t = c.at(0)) {
        bool connector = false;
        for (std::string_view w : kWords)
            connector = connector || isWord(t, w);
        if (!connector)
            return;
        ++c.pos;
    }
}

DateValue toLocal(const Ymd& d, const Hms& t, std::optional<int> zoneMinutes, const TimeZone& zone)
{
    const DateValue written = makeDate(d.year, d.month, d.day, t.hour, t.minute, t.second);
    if (!zoneMinutes)
        return written;
    const std::int64_t unixSeconds = toSeconds(written) - toSeconds(makeDate(1970, 1, 1)) - *zoneMinutes * 60;
    return zone.localTime(unixSeconds);
}

// The date and time at the start of the text after the opener.
std::optional<Attribution> readStamp(const Tokens& tokens, DateOrder order, const TimeZone& zone, bool timeFirst)
{
    for (const bool skipWeekday : {true, false}) {
        Cursor c{&tokens};
        if (skipWeekday) {
            if (!c.at(0) || c.at(0)->kind != Kind::Word || !isWeekday(c.at(0)->word))
                continue;
            ++c.pos;
            skipGluedDot(c);
        }
        Ymd date;
        Hms time;
        bool hasTime = false;
        if (timeFirst) {
            hasTime = readTime(c, time);
            if (!hasTime || !readDate(c, order, date))
                continue;
        } else {
            if (!readDate(c, order, date))
                continue;
            skipConnectors(c);
            hasTime = readTime(c, time);
        }
        Attribution found;
        if (hasTime)
            found.sent = toLocal(date, time, readZone(c), zone);
        return found;
    }
    return std::nullopt;
}

struct Frame {
    std::string_view opener;
    std::string_view verb; // " wrote" ... must stand in the line
    bool english;
    bool timeFirst;
};

constexpr Frame kFrames[] = {
    {"On ", " wrote", true, false},          {"At ", " wrote", true, true},
    {"Am ", " schrieb", false, false},       {"Le ", " a \xC3\xA9" "crit", false, false},
    {"El ", " escribi\xC3\xB3", false, false}, {"Op ", " schreef", false, false},
};

std::string_view trimmedEnd(std::string_view line)
{
    while (!line.empty()) {
        if (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')
            line.remove_suffix(1);
        else if (line.size() >= 2 && line.substr(line.size() - 2) == "\xC2\xA0")
            line.remove_suffix(2);
        else
            break;
    }
    return line;
}

const Frame* frameOf(std::string_view line)
{
    for (const Frame& f : kFrames)
        if (line.substr(0, f.opener.size()) == f.opener)
            return &f;
    return nullptr;
}

} // namespace

std::optional<Attribution> readAttribution(std::string_view line, const DateLocale& locale)
{
    line = trimmedEnd(line);
    const Frame* frame = frameOf(line);
    if (!frame || line.size() > kMaxLineLength || line.back() != ':' || line.find(frame->verb) == std::string_view::npos)
        return std::nullopt;
    Tokens tokens;
    tokenize(line.substr(frame->opener.size()), tokens);
    return readStamp(tokens, frame->english ? locale.order : DateOrder::DayFirst, locale.zone, frame->timeFirst);
}

bool opensAttribution(std::string_view line)
{
    return frameOf(line) != nullptr;
}

std::optional<Attribution> findAttribution(std::string_view body, const DateLocale& locale)
{
    // Clients wrap a long attribution line (Gmail at about 76 characters):
    // try the line alone, then joined with up to two following lines.
    constexpr int kMaxWrappedLines = 3;
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t end = std::min(body.find('\n', start), body.size());
        if (body[start] != '>' && frameOf(body.substr(start, end - start))) {
            std::string joined;
            std::size_t lineEnd = end;
            for (int n = 0; n < kMaxWrappedLines && joined.size() <= kMaxLineLength; ++n) {
                const std::size_t from = n == 0 ? start : lineEnd + 1;
                if (from > body.size())
                    break;
                lineEnd = std::min(body.find('\n', from), body.size());
                joined += (n ? " " : "") + std::string(trimmedEnd(body.substr(from, lineEnd - from)));
                if (auto found = readAttribution(joined, locale)) {
                    found->offset = start;
                    return found;
                }
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace brisk
