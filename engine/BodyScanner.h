#pragma once
// The body rules of the analysis read in one pass over a stream: the body
// arrives in chunks cut anywhere (inside a UTF-8 sequence, a CR LF pair or a
// "Sent: "), and the scanner keeps only a few lines of bounded length, so a
// body of any size is measured in fixed memory. Its figures are those the
// whole-text rules (quotedSentTime, findAttribution, ownText, countWords,
// utf16Length) give for the same text with every line ended by CR LF: a
// lone CR or LF is read as CR LF, so a body needs no converted copy.

#include "dates/Attribution.h"
#include "engine/MailStore.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace brisk {

// What steps 9 and 10 need from a body.
struct BodyFacts {
    bool empty = true;
    // The date of the first "Sent: " line, as quotedSentTime reads it.
    std::optional<DateValue> quotedSent;
    // The first attribution line, as findAttribution finds it.
    std::optional<Attribution> attribution;
    // countWords and utf16Length of the own text (ownText).
    std::int64_t ownWords = 1;
    std::int64_t ownUtf16Length = 0;
};

// Blanks and UTF-16 units of a text fed byte by byte; a copy is the count at
// the place it was taken.
class OwnTextCount {
public:
    void add(unsigned char byte);
    // add() for each byte of the run.
    void addRun(std::string_view run);
    std::int64_t words() const;
    // Bytes of a sequence cut short by the end count one unit each.
    std::int64_t utf16Length() const { return m_units + m_pending; }

private:
    void closeSequence(std::uint32_t code);
    // Bytes from the start of `text` below 0x80.
    static std::size_t asciiPrefix(std::string_view text);
    void addAscii(std::string_view text);

    std::int64_t m_units = 0;
    std::int64_t m_blanks = 0;
    std::int64_t m_leadingBlanks = 0;
    std::int64_t m_trailingBlanks = 0;
    bool m_solid = false;
    // A UTF-8 sequence in progress (RFC 3629 section 3).
    int m_pending = 0;
    int m_missing = 0;
    std::uint32_t m_code = 0;
    std::uint32_t m_minimum = 0;
};

class BodyScanner {
public:
    // Lines kept for the "Sent: " and attribution rules. A longer line is
    // neither: a date or an attribution (at most 400 characters) never fills
    // one unless padded with thousands of blanks.
    static constexpr std::size_t kMaxLine = 4096;

    explicit BodyScanner(const DateLocale& locale = {}) : m_locale(locale) {}

    void feed(std::string_view chunk);
    BodyFacts finish();

private:
    struct Line {
        std::uint64_t start = 0;
        std::string text;
        bool overlong = false;
        OwnTextCount countAtStart;
    };

    void step(char c);
    void plainRun(std::string_view run);
    static void appendBounded(std::string& text, bool& overlong, std::string_view run);
    void startLine();
    void endOwnText(std::uint64_t at, const OwnTextCount& count);
    void scanSentLine(char c);
    void addToLine(char c);
    void endLine();
    void tryAttribution();
    void tryAttributionAt(const Line& first);

    DateLocale m_locale;
    std::uint64_t m_offset = 0;
    char m_previous = '\n';
    // The last byte fed was a CR: an LF next completes its line end, any
    // other byte makes it a lone CR, read as CR LF.
    bool m_afterCr = false;

    // The own text: counted until its first end is seen.
    OwnTextCount m_count;
    OwnTextCount m_countBeforeFrom;
    bool m_ownEnded = false;
    std::uint64_t m_ownEnd = 0;
    OwnTextCount m_ownCount;
    std::size_t m_fromMatched = 0;
    bool m_fromFound = false;

    // The first "Sent: " line.
    enum class SentState { Seeking, Reading, Done };
    SentState m_sentState = SentState::Seeking;
    std::size_t m_sentMatched = 0;
    std::string m_sentText;
    bool m_sentOverlong = false;
    std::optional<DateValue> m_quotedSent;

    // The current line and the last complete ones not yet tried as the
    // start of an attribution (which may wrap onto two more lines).
    Line m_line;
    std::deque<Line> m_lines;
    std::string m_spareText; // a tried line's buffer, for the next line
    std::optional<Attribution> m_attribution;
};

// A body's figures, measured once: when the item is read ahead of the walk,
// or when first asked for. An error measuring gave is kept and raised again
// at every ask, so that every step that needs the body fails alike.
class BodyMeasure {
public:
    // Measures `item` now, keeping its figures or the error.
    void measure(MailItem& item, const DateLocale& locale);
    // Keeps figures or an error measured elsewhere.
    void set(const BodyFacts& facts) { m_facts = facts; }
    void fail(std::exception_ptr error) { m_error = std::move(error); }
    // The figures kept: nullopt if the body was not measured; throws the
    // error measuring gave.
    const std::optional<BodyFacts>& kept() const;
    // The figures, measured from `item` first if they were not.
    const BodyFacts& facts(MailItem& item, const DateLocale& locale);

private:
    std::optional<BodyFacts> m_facts;
    std::exception_ptr m_error;
};

// An item whose body was measured when it was read, ahead of the walk.
class MeasuredItem : public MailItem {
public:
    // The body's figures, or the error reading the body gave.
    virtual BodyFacts bodyFacts() = 0;
};

// Streams the item's body through a scanner (MailItem::readBody).
BodyFacts scanBody(MailItem& item, const DateLocale& locale = {});

} // namespace brisk
