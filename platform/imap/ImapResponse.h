#pragma once
// Reading IMAP server responses (RFC 3501 section 7 and the grammar of
// section 9) from a byte source, with every size bounded: the server is
// treated as hostile. Only what a read-only client needs is understood:
// status responses, and untagged data made of atoms, quoted strings,
// literals, NIL and parenthesised lists.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brisk::imap {

struct ImapValue {
    enum class Kind { Atom, String, List, Nil };
    Kind kind = Kind::Atom;
    std::string text;             // Atom and String
    std::vector<ImapValue> items; // List

    bool isAtom(const char* upper) const; // ASCII case ignored
    // Atom or String text; empty for NIL and lists.
    const std::string& str() const { return text; }
};

struct Response {
    std::string tag;              // "*", "+" or the tag of a command
    std::string status;           // OK, NO, BAD, BYE or PREAUTH (upper case); empty for data
    std::string text;             // the rest of a status line, e.g. "[READ-ONLY] Done"
    std::vector<ImapValue> words; // untagged data, e.g. 12 FETCH (UID 7 ...)
};

struct ResponseLimits {
    std::size_t maxLineBytes = 1 << 20;     // outside literals, per response
    std::uint64_t maxLiteralBytes = 64 << 20; // one literal (a message)
    std::size_t maxValues = 100000;         // atoms, strings and lists per response
    int maxDepth = 16;                      // nested lists
};

// Where the bytes come from: at least one byte per call; throws when the
// connection ended or failed.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t readSome(char* buffer, std::size_t size) = 0;
};

// Thrown for a response that breaks the grammar or a limit; the connection
// cannot be trusted afterwards.
class ProtocolError;

class ResponseReader {
public:
    explicit ResponseReader(ByteSource& source) : m_source(source) {}
    Response read(const ResponseLimits& limits);

private:
    char peek();
    char get();
    void expect(char c);
    void count(std::size_t bytes);
    std::string lineRest();
    void readData(Response& r, const std::string& first);
    ImapValue value(int depth);
    ImapValue atom();
    ImapValue quoted();
    ImapValue literal();
    std::string word();

    ByteSource& m_source;
    std::string m_buffer;
    std::size_t m_pos = 0;
    const ResponseLimits* m_limits = nullptr;
    std::size_t m_lineBytes = 0;
    std::size_t m_values = 0;
};

// A text for messages: control characters shown as '?', at most 200 bytes.
std::string printable(const std::string& text);

} // namespace brisk::imap
