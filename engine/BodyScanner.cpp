#include "engine/BodyScanner.h"

#include "engine/MailStore.h"
#include "stats/Utf8.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace brisk {
namespace {

constexpr std::string_view kSent = "Sent: ";
constexpr std::string_view kFrom = "From:";

// Advances a match of `needle` by one character; true when it completes.
// Both needles never repeat their first character, so a mismatch restarts
// the match at the current character or at nothing.
bool advanceMatch(std::size_t& matched, std::string_view needle, char c)
{
    if (c == needle[matched])
        ++matched;
    else
        matched = c == needle[0] ? 1 : 0;
    if (matched < needle.size())
        return false;
    matched = 0;
    return true;
}

} // namespace

void OwnTextCount::add(unsigned char byte)
{
    if (m_missing > 0) {
        if (utf8::isContinuation(byte)) {
            m_code = (m_code << 6) | (byte & 0x3F);
            ++m_pending;
            if (--m_missing == 0)
                closeSequence(m_code);
            return;
        }
        // A sequence broken off: each of its bytes is one unit.
        m_units += m_pending;
        m_pending = m_missing = 0;
    }
    if (byte == ' ') {
        ++m_blanks;
        ++m_trailingBlanks;
        if (!m_solid)
            ++m_leadingBlanks;
    } else {
        m_solid = true;
        m_trailingBlanks = 0;
    }
    const utf8::Lead lead = utf8::leadOf(byte);
    if (lead.length <= 1) {
        ++m_units; // ASCII, or a byte that begins no sequence
        return;
    }
    m_code = lead.bits;
    m_minimum = lead.minimum;
    m_pending = 1;
    m_missing = lead.length - 1;
}

void OwnTextCount::addRun(std::string_view run)
{
    std::size_t at = 0;
    while (at < run.size()) {
        // Inside a sequence, and at a byte that may begin one: byte by byte.
        if (m_missing > 0 || static_cast<unsigned char>(run[at]) >= 0x80) {
            add(static_cast<unsigned char>(run[at++]));
            continue;
        }
        const std::size_t end = at + asciiPrefix(run.substr(at));
        addAscii(run.substr(at, end - at));
        at = end;
    }
}

std::size_t OwnTextCount::asciiPrefix(std::string_view text)
{
    // Eight bytes at a time while none has its high bit set.
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        if (word & kHighBits)
            break;
    }
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80)
        ++at;
    return at;
}

// ASCII outside a sequence: one unit a byte, blanks as add() counts them.
void OwnTextCount::addAscii(std::string_view text)
{
    m_units += static_cast<std::int64_t>(text.size());
    const auto blanks = std::count(text.begin(), text.end(), ' ');
    m_blanks += blanks;
    const std::size_t lastSolid = text.find_last_not_of(' ');
    if (lastSolid == std::string_view::npos) {
        m_trailingBlanks += blanks;
        m_leadingBlanks += m_solid ? 0 : blanks;
        return;
    }
    if (!m_solid)
        m_leadingBlanks += static_cast<std::int64_t>(text.find_first_not_of(' '));
    m_solid = true;
    m_trailingBlanks = static_cast<std::int64_t>(text.size() - 1 - lastSolid);
}

void OwnTextCount::closeSequence(std::uint32_t code)
{
    if (!utf8::isWellFormed(code, m_minimum))
        m_units += m_pending; // overlong, a surrogate or too large: bytes count alone
    else
        m_units += code < 0x10000 ? 1 : 2;
    m_pending = 0;
}

std::int64_t OwnTextCount::words() const
{
    return m_solid ? m_blanks - m_leadingBlanks - m_trailingBlanks + 1 : 1;
}

// Bytes at which some rule may act: a line's end, and the first letters of
// "From:" and "Sent: ". Between them the scanner only copies and counts.
constexpr auto kStarts = [] {
    std::array<bool, 256> starts {};
    for (const char c : {'\r', '\n', kFrom[0], kSent[0]})
        starts[static_cast<unsigned char>(c)] = true;
    return starts;
}();

bool startsSomething(char c)
{
    return kStarts[static_cast<unsigned char>(c)];
}

void BodyScanner::feed(std::string_view chunk)
{
    std::size_t at = 0;
    while (at < chunk.size()) {
        const char c = chunk[at];
        // Lines end as toCrLf ends them: a lone CR or a lone LF is read
        // as CR LF, so that offsets and counts are those of that text.
        if (m_afterCr) {
            m_afterCr = false;
            step('\n');
            if (c == '\n') {
                ++at;
                continue;
            }
        }
        if (c == '\r' || c == '\n') {
            step('\r');
            if (c == '\n')
                step('\n');
            m_afterCr = c == '\r';
            ++at;
            continue;
        }
        // Byte by byte at a line's start, inside a match under way, and at
        // a byte that may start or end one.
        if (m_previous == '\n' || m_fromMatched != 0 || m_sentMatched != 0 || startsSomething(c)) {
            step(c);
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < chunk.size() && !startsSomething(chunk[end]))
            ++end;
        plainRun(chunk.substr(at, end - at));
        at = end;
    }
}

// A run of bytes none of which starts or ends a match or a line, inside a
// line: what step() does for each of them, done for the run at once.
void BodyScanner::plainRun(std::string_view run)
{
    if (m_sentState == SentState::Reading)
        appendBounded(m_sentText, m_sentOverlong, run);
    if (!m_attribution)
        appendBounded(m_line.text, m_line.overlong, run);
    if (!m_ownEnded)
        m_count.addRun(run);
    m_previous = run.back();
    m_offset += run.size();
}

void BodyScanner::appendBounded(std::string& text, bool& overlong, std::string_view run)
{
    const std::size_t room = kMaxLine - std::min(text.size(), kMaxLine);
    text.append(run.substr(0, room));
    if (run.size() > room)
        overlong = true;
}

void BodyScanner::step(char c)
{
    if (m_previous == '\n') {
        startLine();
        // A line beginning with ">" (RFC 3676 section 4.5) ends the own text.
        if (c == '>')
            endOwnText(m_offset, m_count);
    }
    if (!m_fromFound) {
        if (c == kFrom[0])
            m_countBeforeFrom = m_count;
        if (advanceMatch(m_fromMatched, kFrom, c)) {
            m_fromFound = true;
            endOwnText(m_offset + 1 - kFrom.size(), m_countBeforeFrom);
        }
    }
    if (m_sentState != SentState::Done)
        scanSentLine(c);
    if (!m_attribution)
        addToLine(c);
    if (!m_ownEnded)
        m_count.add(static_cast<unsigned char>(c));
    m_previous = c;
    ++m_offset;
}

void BodyScanner::startLine()
{
    m_line.start = m_offset;
    m_line.text.clear();
    m_line.overlong = false;
    m_line.countAtStart = m_count;
}

void BodyScanner::endOwnText(std::uint64_t at, const OwnTextCount& count)
{
    if (m_ownEnded && at >= m_ownEnd)
        return;
    m_ownEnded = true;
    m_ownEnd = at;
    m_ownCount = count;
}

// The text after the first "Sent: " up to its line end; another "Sent: "
// before that end, or no line end at all, gives no date.
void BodyScanner::scanSentLine(char c)
{
    if (m_sentState == SentState::Seeking) {
        if (advanceMatch(m_sentMatched, kSent, c))
            m_sentState = SentState::Reading;
        return;
    }
    if (c != '\n') {
        if (m_sentText.size() < kMaxLine)
            m_sentText += c;
        else
            m_sentOverlong = true;
        return;
    }
    if (!m_sentOverlong && m_sentText.find(kSent) == std::string::npos)
        m_quotedSent = parseDateText(m_sentText, m_locale.order);
    m_sentState = SentState::Done;
    std::string().swap(m_sentText);
}

void BodyScanner::addToLine(char c)
{
    if (c == '\n') {
        endLine();
    } else if (m_line.text.size() < kMaxLine) {
        m_line.text += c;
    } else {
        m_line.overlong = true;
    }
}

void BodyScanner::endLine()
{
    // The line is moved, not copied, and the next one takes the buffer of a
    // line already tried: no allocation a line once the first few are made.
    m_lines.push_back(std::move(m_line));
    m_line.text = std::move(m_spareText);
    // A line is tried once the two lines it may wrap onto are known.
    if (m_lines.size() == 3)
        tryAttribution();
}

void BodyScanner::tryAttribution()
{
    Line first = std::move(m_lines.front());
    m_lines.pop_front();
    tryAttributionAt(first);
    m_spareText = std::move(first.text);
    m_spareText.clear();
}

// Tries `first`, the oldest kept line, as an attribution's first line,
// joined with the kept lines after it as they stand in the body.
void BodyScanner::tryAttributionAt(const Line& first)
{
    if (first.overlong || first.text.empty() || first.text[0] == '>' || !opensAttribution(first.text))
        return;
    // Joined with it, a line over the bound makes the candidate too long.
    static const std::string overlongStandIn(401, 'x');
    std::string text = first.text;
    for (const Line& next : m_lines) {
        text += '\n';
        text += next.overlong ? overlongStandIn : next.text;
    }
    auto found = findAttribution(text, m_locale);
    if (!found || found->offset != 0)
        return;
    found->offset = first.start;
    m_attribution = found;
    endOwnText(first.start, first.countAtStart);
    m_lines.clear();
}

BodyFacts BodyScanner::finish()
{
    if (m_afterCr) {
        m_afterCr = false;
        step('\n');
    }
    if (!m_attribution) {
        // The text after the last LF (empty when the body ends with one) is
        // a line too: a wrapped attribution may end there.
        if (m_previous == '\n')
            startLine();
        m_lines.push_back(m_line);
        while (!m_lines.empty() && !m_attribution)
            tryAttribution();
    }
    BodyFacts facts;
    facts.empty = m_offset == 0;
    facts.quotedSent = m_quotedSent;
    facts.attribution = m_attribution;
    const OwnTextCount& own = m_ownEnded ? m_ownCount : m_count;
    facts.ownWords = own.words();
    facts.ownUtf16Length = own.utf16Length();
    return facts;
}

void BodyMeasure::measure(MailItem& item, const DateLocale& locale)
{
    try {
        m_facts = scanBody(item, locale);
    } catch (...) {
        m_error = std::current_exception();
    }
}

const std::optional<BodyFacts>& BodyMeasure::kept() const
{
    if (m_error)
        std::rethrow_exception(m_error);
    return m_facts;
}

const BodyFacts& BodyMeasure::facts(MailItem& item, const DateLocale& locale)
{
    if (!m_facts && !m_error)
        measure(item, locale);
    return *kept();
}

BodyFacts scanBody(MailItem& item, const DateLocale& locale)
{
    // An item read ahead of the walk was measured then.
    if (auto* parsed = dynamic_cast<MeasuredItem*>(&item))
        return parsed->bodyFacts();
    BodyScanner scanner(locale);
    item.readBody([&](std::string_view chunk) { scanner.feed(chunk); });
    return scanner.finish();
}

} // namespace brisk
