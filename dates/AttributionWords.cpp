#include "dates/AttributionWords.h"

namespace brisk::attribution {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

// Blanks, including the no-break spaces French clients put before ":".
std::size_t blankLength(std::string_view text, std::size_t i)
{
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',')
        return 1;
    if (text.substr(i, 2) == "\xC2\xA0")
        return 2;
    if (text.substr(i, 3) == "\xE2\x80\xAF")
        return 3;
    return 0;
}

} // namespace

void tokenize(std::string_view text, Tokens& out)
{
    bool spaced = true;
    std::size_t i = 0;
    while (i < text.size() && out.count < kMaxTokens) {
        if (const std::size_t blank = blankLength(text, i)) {
            spaced = true;
            i += blank;
            continue;
        }
        Token& t = out.items[out.count++];
        t.spaced = spaced;
        spaced = false;
        const std::size_t start = i;
        if (isDigit(text[i])) {
            t.kind = Kind::Number;
            for (; i < text.size() && isDigit(text[i]); ++i)
                if (t.value < 100000)
                    t.value = t.value * 10 + (text[i] - '0');
            t.digits = static_cast<int>(i - start);
        } else if (isLetter(text[i])) {
            t.kind = Kind::Word;
            while (i < text.size() && isLetter(text[i]) && !blankLength(text, i))
                ++i;
            t.word = text.substr(start, i - start);
        } else {
            t.punct = text[i++];
        }
    }
}

std::string lowered(std::string_view word)
{
    std::string out(word);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

namespace {

constexpr std::array<std::string_view, 58> kWeekdays = {
    "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday", "mon", "tue", "tues", "wed",
    "thu", "thur", "thurs", "fri", "sat", "sun",
    "montag", "dienstag", "mittwoch", "donnerstag", "freitag", "samstag", "sonnabend", "sonntag", "mo", "di", "mi",
    "do", "fr", "sa", "so",
    "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche", "lun", "mar", "mer", "jeu", "ven", "sam",
    "dim",
    "lunes", "martes", "mi\xC3\xA9rcoles", "jueves", "viernes", "s\xC3\xA1" "bado", "domingo", "mi\xC3\xA9", "jue",
    "vie", "s\xC3\xA1" "b", "dom"};
constexpr std::array<std::string_view, 14> kDutchWeekdays = {
    "maandag", "dinsdag", "woensdag", "donderdag", "vrijdag", "zaterdag", "zondag",
    "ma", "di", "wo", "do", "vr", "za", "zo"};

// Full month names; a word of three letters or more that begins one of them
// is its abbreviation ("janv", "Sept", "déc").
constexpr std::array<std::array<std::string_view, 6>, 12> kMonths = {{
    {"january", "januar", "janvier", "enero", "januari", ""},
    {"february", "februar", "f\xC3\xA9vrier", "febrero", "februari", ""},
    {"march", "m\xC3\xA4rz", "maerz", "mars", "marzo", "maart"},
    {"april", "avril", "abril", "", "", ""},
    {"may", "mai", "mayo", "mei", "", ""},
    {"june", "juni", "juin", "junio", "", ""},
    {"july", "juli", "juillet", "julio", "", ""},
    {"august", "ao\xC3\xBBt", "agosto", "augustus", "", ""},
    {"september", "septembre", "septiembre", "setiembre", "", ""},
    {"october", "oktober", "octobre", "octubre", "", ""},
    {"november", "novembre", "noviembre", "", "", ""},
    {"december", "dezember", "d\xC3\xA9" "cembre", "diciembre", "", ""},
}};

} // namespace

int monthOfWord(std::string_view word)
{
    const std::string w = lowered(word);
    if (w == "mrz" || w == "mrt")
        return 3;
    for (std::size_t m = 0; m < kMonths.size(); ++m)
        for (std::string_view name : kMonths[m])
            if (!name.empty() && (w == name || (w.size() >= 3 && name.substr(0, w.size()) == w)))
                return static_cast<int>(m) + 1;
    return 0;
}

bool isWeekday(std::string_view word)
{
    const std::string w = lowered(word);
    for (std::string_view name : kWeekdays)
        if (w == name)
            return true;
    for (std::string_view name : kDutchWeekdays)
        if (w == name)
            return true;
    return false;
}

} // namespace brisk::attribution
