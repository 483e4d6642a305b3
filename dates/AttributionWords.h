#pragma once
// The words of attribution lines: a tokenizer that keeps numbers, words
// (UTF-8 letters included) and single punctuation characters, and the names
// of weekdays and months in English, German, French, Spanish and Dutch.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace brisk::attribution {

enum class Kind : unsigned char { Number, Word, Punct };

struct Token {
    Kind kind = Kind::Punct;
    bool spaced = false; // a blank or a comma stands before it
    char punct = 0;
    int digits = 0;
    int value = 0;
    std::string_view word;
};

// Enough for a weekday, a date, a time and a zone; the name after them is
// not needed.
constexpr std::size_t kMaxTokens = 24;

struct Tokens {
    std::array<Token, kMaxTokens> items{};
    std::size_t count = 0;
};

// The first kMaxTokens tokens of the text; blanks (no-break spaces
// included) and commas only separate.
void tokenize(std::string_view text, Tokens& out);
// ASCII letters in lower case, other bytes as they are.
std::string lowered(std::string_view word);
// 1..12 for a month's name in one of the five languages, in full or cut to
// three letters or more ("janv", "Sept", "mrt"); 0 otherwise.
int monthOfWord(std::string_view word);
// True for a weekday's name or its usual abbreviation in one of the five.
bool isWeekday(std::string_view word);

} // namespace brisk::attribution
