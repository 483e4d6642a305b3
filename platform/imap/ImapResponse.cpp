#include "platform/imap/ImapResponse.h"

#include "engine/MailStore.h"
#include "platform/imap/ImapErrors.h"

#include <strings.h>

#include <algorithm>

namespace brisk::imap {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool isStatus(const std::string& word)
{
    for (const char* s : {"OK", "NO", "BAD", "BYE", "PREAUTH"}) {
        if (::strcasecmp(word.c_str(), s) == 0)
            return true;
    }
    return false;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return text;
}

} // namespace

bool ImapValue::isAtom(const char* upperText) const
{
    return kind == Kind::Atom && ::strcasecmp(text.c_str(), upperText) == 0;
}

std::string printable(const std::string& text)
{
    std::string out;
    for (char c : text.substr(0, 200))
        out += static_cast<unsigned char>(c) < 32 || c == 127 ? '?' : c;
    return out;
}

char ResponseReader::peek()
{
    if (m_pos == m_buffer.size()) {
        m_buffer.resize(kChunk);
        m_buffer.resize(m_source.readSome(m_buffer.data(), kChunk));
        m_pos = 0;
    }
    return m_buffer[m_pos];
}

char ResponseReader::get()
{
    const char c = peek();
    ++m_pos;
    count(1);
    return c;
}

void ResponseReader::count(std::size_t bytes)
{
    m_lineBytes += bytes;
    if (m_lineBytes > m_limits->maxLineBytes)
        throw ProtocolError("the server sent a response line longer than "
                            + std::to_string(m_limits->maxLineBytes) + " bytes");
}

void ResponseReader::expect(char c)
{
    const char got = get();
    if (got != c)
        throw ProtocolError(std::string("the server's response is malformed (expected '") + c + "', got byte "
                            + std::to_string(static_cast<unsigned char>(got)) + ")");
}

// Up to CRLF (a bare LF is accepted), without it.
std::string ResponseReader::lineRest()
{
    std::string out;
    for (char c = get(); c != '\n'; c = get())
        out += c;
    if (!out.empty() && out.back() == '\r')
        out.pop_back();
    return out;
}

std::string ResponseReader::word()
{
    std::string out;
    while (peek() != ' ' && peek() != '\r' && peek() != '\n')
        out += get();
    return out;
}

Response ResponseReader::read(const ResponseLimits& limits)
{
    m_limits = &limits;
    m_lineBytes = 0;
    m_values = 0;
    Response r;
    r.tag = word();
    if (r.tag.empty())
        throw ProtocolError("the server sent a response without a tag");
    if (peek() == ' ')
        get();
    if (r.tag == "+") {
        r.text = lineRest();
        return r;
    }
    std::string first = word();
    if (isStatus(first)) {
        r.status = upper(first);
        if (peek() == ' ')
            get();
        r.text = lineRest();
        return r;
    }
    if (r.tag != "*")
        throw ProtocolError("the server answered a command with \"" + printable(first) + "\"");
    readData(r, first);
    return r;
}

// The values of untagged data after its first word, to the line's end.
void ResponseReader::readData(Response& r, const std::string& first)
{
    // Untagged data starts with a number or a keyword ("12 FETCH", "LIST").
    if (first.empty() || first.find_first_of("([{\"") != std::string::npos)
        throw ProtocolError("the server sent malformed data \"" + printable(first) + "\"");
    r.words.push_back(ImapValue{ImapValue::Kind::Atom, first, {}});
    if (peek() == ' ')
        get();
    while (true) {
        const char c = peek();
        if (c == '\r' || c == '\n') {
            lineRest();
            return;
        }
        r.words.push_back(value(0));
        if (peek() == ' ')
            get();
    }
}

ImapValue ResponseReader::value(int depth)
{
    if (++m_values > m_limits->maxValues)
        throw ProtocolError("the server sent a response with too many values");
    const char c = peek();
    if (c == '"')
        return quoted();
    if (c == '{')
        return literal();
    if (c != '(')
        return atom();
    if (depth >= m_limits->maxDepth)
        throw ProtocolError("the server sent lists nested too deeply");
    get();
    ImapValue list;
    list.kind = ImapValue::Kind::List;
    while (peek() != ')') {
        if (peek() == '\r' || peek() == '\n')
            throw ProtocolError("the server's response ends inside a list");
        list.items.push_back(value(depth + 1));
        if (peek() == ' ')
            get();
    }
    get();
    return list;
}

// An atom, flag (\Seen) or section name; "BODY[HEADER.FIELDS (DATE)]"
// keeps its bracketed part, spaces and parentheses included, as one atom.
ImapValue ResponseReader::atom()
{
    ImapValue v;
    int brackets = 0;
    while (true) {
        const char c = peek();
        if (c == '\r' || c == '\n' || (brackets == 0 && (c == ' ' || c == '(' || c == ')' || c == '"' || c == '{')))
            break;
        if (c == '[')
            ++brackets;
        else if (c == ']' && brackets > 0)
            --brackets;
        v.text += get();
    }
    if (v.text.empty())
        throw ProtocolError("the server's response is malformed (empty value)");
    if (v.text == "NIL" || v.text == "nil")
        v.kind = ImapValue::Kind::Nil;
    return v;
}

ImapValue ResponseReader::quoted()
{
    get();
    ImapValue v;
    v.kind = ImapValue::Kind::String;
    for (char c = get(); c != '"'; c = get()) {
        if (c == '\r' || c == '\n')
            throw ProtocolError("the server's response ends inside a quoted string");
        v.text += c == '\\' ? get() : c;
    }
    return v;
}

// RFC 3501 section 4.3: "{" number "}" CRLF, then exactly that many bytes.
ImapValue ResponseReader::literal()
{
    get();
    std::uint64_t size = 0;
    int digits = 0;
    for (char c = get(); c != '}'; c = get()) {
        if (c < '0' || c > '9' || ++digits > 19)
            throw ProtocolError("the server sent a malformed literal size");
        size = size * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (digits == 0)
        throw ProtocolError("the server sent a malformed literal size");
    if (size > m_limits->maxLiteralBytes)
        throw ProtocolError("the server announced " + std::to_string(size) + " bytes, more than the "
                            + std::to_string(m_limits->maxLiteralBytes) + " allowed here");
    if (get() == '\r')
        expect('\n');
    ImapValue v;
    v.kind = ImapValue::Kind::String;
    // Grows as the bytes arrive: a server that announces much and sends
    // little costs no memory.
    v.text.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(size, kChunk * 16)));
    while (v.text.size() < size) {
        peek();
        const std::size_t take = std::min<std::size_t>(m_buffer.size() - m_pos, size - v.text.size());
        v.text.append(m_buffer, m_pos, take);
        m_pos += take;
    }
    return v;
}

} // namespace brisk::imap
