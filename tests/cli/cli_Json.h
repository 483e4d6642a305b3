#pragma once
// A small JSON reader for the command line's output: enough of RFC 8259 to
// read what brisk-cli and scripts/python-figures print (objects, arrays,
// strings with escapes, numbers, true/false/null). It throws on anything
// malformed, so a test that parses the output also checks it is valid JSON.

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brisk::test {

struct Json {
    using Array = std::vector<Json>;
    using Object = std::map<std::string, Json>;
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>, std::shared_ptr<Object>> value;

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(value); }
    bool has(const std::string& key) const { return object().count(key) != 0; }
    double number() const { return std::get<double>(value); }
    long integer() const { return static_cast<long>(number()); }
    const std::string& text() const { return std::get<std::string>(value); }
    const Array& array() const { return *std::get<std::shared_ptr<Array>>(value); }
    const Object& object() const { return *std::get<std::shared_ptr<Object>>(value); }
    const Json& operator[](const std::string& key) const
    {
        const auto it = object().find(key);
        if (it == object().end())
            throw std::out_of_range("no key " + key);
        return it->second;
    }
    std::vector<long> integers() const
    {
        std::vector<long> out;
        for (const Json& item : array())
            out.push_back(item.integer());
        return out;
    }
};

class JsonReader {
public:
    static Json parse(std::string_view text)
    {
        JsonReader reader(text);
        Json result = reader.value();
        reader.skipSpace();
        if (reader.m_pos != text.size())
            reader.fail("text after the value");
        return result;
    }

private:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("invalid JSON at byte " + std::to_string(m_pos) + ": " + what);
    }
    void skipSpace()
    {
        while (m_pos < m_text.size() && std::strchr(" \t\r\n", m_text[m_pos]))
            ++m_pos;
    }
    char peek()
    {
        skipSpace();
        if (m_pos >= m_text.size())
            fail("unexpected end");
        return m_text[m_pos];
    }
    void expect(char c)
    {
        if (peek() != c)
            fail(std::string("expected ") + c);
        ++m_pos;
    }
    bool literal(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word)
            return false;
        m_pos += word.size();
        return true;
    }

    Json value()
    {
        const char c = peek();
        if (c == '{')
            return object();
        if (c == '[')
            return array();
        if (c == '"')
            return Json{string()};
        if (literal("null"))
            return Json{nullptr};
        if (literal("true"))
            return Json{true};
        if (literal("false"))
            return Json{false};
        return number();
    }

    Json object()
    {
        auto members = std::make_shared<Json::Object>();
        expect('{');
        if (peek() == '}') {
            ++m_pos;
            return Json{members};
        }
        do {
            if (peek() != '"')
                fail("expected a key");
            std::string key = string();
            expect(':');
            (*members)[key] = value();
        } while (peek() == ',' && ++m_pos);
        expect('}');
        return Json{members};
    }

    Json array()
    {
        auto items = std::make_shared<Json::Array>();
        expect('[');
        if (peek() == ']') {
            ++m_pos;
            return Json{items};
        }
        do {
            items->push_back(value());
        } while (peek() == ',' && ++m_pos);
        expect(']');
        return Json{items};
    }

    Json number()
    {
        const std::string rest(m_text.substr(m_pos, 40));
        char* end = nullptr;
        const double v = std::strtod(rest.c_str(), &end);
        if (end == rest.c_str())
            fail("expected a value");
        m_pos += static_cast<std::size_t>(end - rest.c_str());
        return Json{v};
    }

    // Strings: escapes of RFC 8259 section 7; \u escapes of the ASCII range
    // are decoded, others are kept as written (the tests compare ASCII keys).
    std::string string()
    {
        expect('"');
        std::string out;
        while (m_pos < m_text.size() && m_text[m_pos] != '"') {
            char c = m_text[m_pos++];
            if (static_cast<unsigned char>(c) < 0x20)
                fail("control character in a string");
            if (c == '\\') {
                if (m_pos >= m_text.size())
                    fail("unfinished escape");
                c = m_text[m_pos++];
                switch (c) {
                case 'n': c = '\n'; break;
                case 'r': c = '\r'; break;
                case 't': c = '\t'; break;
                case 'b': c = '\b'; break;
                case 'f': c = '\f'; break;
                case 'u': {
                    const long code = std::strtol(std::string(m_text.substr(m_pos, 4)).c_str(), nullptr, 16);
                    m_pos += 4;
                    if (code < 0x80) {
                        c = static_cast<char>(code);
                        break;
                    }
                    out += "\\u" + std::string(m_text.substr(m_pos - 4, 4));
                    continue;
                }
                case '"': case '\\': case '/': break;
                default: fail("bad escape");
                }
            }
            out += c;
        }
        expect('"');
        return out;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace brisk::test
