#include "platform/pst/RtfText.h"

#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/TextConvert.h"
#include "stats/Utf8.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace brisk::pst {
namespace {

// Destinations whose content is never text (fonts, colours, styles, document
// information, pictures, field instructions): skipped with their group.
bool isSkippedDestination(std::string_view word)
{
    static const std::string_view skipped[] = {
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "header", "headerl",
        "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "fldinst", "listtable",
        "listoverridetable", "rsidtbl", "generator", "themedata", "colorschememapping", "datastore",
        "latentstyles", "xmlnstbl", "filetbl", "revtbl", "pgdsctbl", "ftnsep", "ftnsepc", "aftnsep", "sp", "shpinst", "shppict",
        "nonshppict", "objdata", "blipuid", "bkmkstart", "bkmkend"};
    for (std::string_view name : skipped) {
        if (word == name)
            return true;
    }
    return false;
}

struct GroupState {
    bool skip = false;    // an ignored destination
    bool htmlTag = false; // {\*\htmltag...}: HTML to keep
    bool htmlRtf = false; // \htmlrtf ... \htmlrtf0: RTF-only text to drop
    int unicodeSkip = 1;  // \ucN: fallback characters after each \uN
};

// One pass over the RTF (RFC-less; "Rich Text Format Specification 1.9.1"):
// groups, control words and symbols, \'hh bytes in the \ansicpg code page,
// \uN characters with their fallbacks, and MS-OXRTFEX's HTML markers.
class RtfReader {
public:
    RtfReader(std::string_view rtf, bool html) : m_rtf(rtf), m_html(html) {}

    std::string run()
    {
        while (m_pos < m_rtf.size()) {
            const char c = m_rtf[m_pos++];
            if (c == '{')
                openGroup();
            else if (c == '}')
                closeGroup();
            else if (c == '\\')
                control();
            else if (c != '\r' && c != '\n')
                byte(c);
        }
        flushBytes();
        return std::move(m_out);
    }

private:
    static constexpr std::size_t maxDepth = 4096;

    bool emitting() const
    {
        if (m_html)
            return m_state.htmlTag || (!m_state.skip && !m_state.htmlRtf);
        return !m_state.skip;
    }

    void openGroup()
    {
        if (m_stack.size() < maxDepth)
            m_stack.push_back(m_state);
        else
            ++m_lostDepth; // hostile nesting: the state stops following it
    }

    void closeGroup()
    {
        flushBytes();
        if (m_lostDepth > 0) {
            --m_lostDepth;
        } else if (!m_stack.empty()) {
            m_state = m_stack.back();
            m_stack.pop_back();
        }
        m_pendingSkip = 0;
    }

    void byte(char c)
    {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (emitting())
            m_bytes += c;
    }

    void text(std::string_view utf8)
    {
        if (!emitting())
            return;
        flushBytes();
        m_out += utf8;
    }

    void flushBytes()
    {
        if (!m_bytes.empty()) {
            m_out += mailstore::toUtf8(m_bytes, m_charset);
            m_bytes.clear();
        }
    }

    void control()
    {
        if (m_pos >= m_rtf.size())
            return;
        const char c = m_rtf[m_pos];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            controlWord();
            return;
        }
        ++m_pos;
        switch (c) {
        case '\'':
            hexByte();
            break;
        case '*':
            m_starred = true;
            return;
        case '{': case '}': case '\\':
            byte(c);
            break;
        case '~':
            text("\u00a0");
            break;
        case '_':
            text("-");
            break;
        case '\r': case '\n':
            text("\n");
            break;
        default:
            break;
        }
        m_starred = false;
    }

    void hexByte()
    {
        if (m_pos + 2 > m_rtf.size()) {
            m_pos = m_rtf.size();
            return;
        }
        const std::string hex(m_rtf.substr(m_pos, 2));
        m_pos += 2;
        char* end = nullptr;
        const long value = std::strtol(hex.c_str(), &end, 16);
        if (end == hex.c_str() + 2)
            byte(static_cast<char>(value));
    }

    void controlWord()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf[m_pos])))
            ++m_pos;
        const std::string_view word = m_rtf.substr(start, m_pos - start);
        std::optional<long> param;
        const std::size_t digits = m_pos;
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == '-')
            ++m_pos;
        while (m_pos < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf[m_pos])) && m_pos - digits < 10)
            ++m_pos;
        if (m_pos > digits && std::isdigit(static_cast<unsigned char>(m_rtf[m_pos - 1])))
            param = std::strtol(std::string(m_rtf.substr(digits, m_pos - digits)).c_str(), nullptr, 10);
        else
            m_pos = digits;
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ')
            ++m_pos;
        const bool starred = m_starred;
        m_starred = false;
        apply(word, param, starred);
    }

    void apply(std::string_view word, std::optional<long> param, bool starred)
    {
        if (m_html && word == "htmltag") {
            m_state.htmlTag = true;
            m_state.skip = false;
        } else if (starred || isSkippedDestination(word)) {
            m_state.skip = true;
        } else if (word == "htmlrtf") {
            flushBytes();
            m_state.htmlRtf = param.value_or(1) != 0;
        } else if (word == "ansicpg" && param) {
            flushBytes();
            m_charset = "windows-" + std::to_string(*param);
        } else if (word == "bin" && param) {
            // \binN: N raw bytes follow, which may hold braces and backslashes.
            const auto length = static_cast<std::size_t>(std::max(0L, *param));
            m_pos += std::min(length, m_rtf.size() - m_pos);
        } else if (word == "uc" && param) {
            m_state.unicodeSkip = static_cast<int>(*param);
        } else if (word == "u" && param) {
            unicode(*param);
        } else {
            symbol(word);
        }
    }

    void unicode(long value)
    {
        const std::uint32_t unit = static_cast<std::uint32_t>(value < 0 ? value + 65536 : value) & 0xffff;
        std::string utf8;
        if (unit >= 0xd800 && unit < 0xdc00) {
            m_highSurrogate = unit;
        } else if (unit >= 0xdc00 && unit < 0xe000 && m_highSurrogate) {
            utf8::append(utf8, 0x10000 + ((m_highSurrogate - 0xd800) << 10) + (unit - 0xdc00));
            m_highSurrogate = 0;
        } else {
            utf8::append(utf8, unit);
        }
        text(utf8);
        m_pendingSkip = m_state.unicodeSkip;
    }

    void symbol(std::string_view word)
    {
        struct Symbol {
            std::string_view word, text;
        };
        static const Symbol symbols[] = {
            {"par", "\n"}, {"line", "\n"}, {"sect", "\n"}, {"page", "\n"}, {"row", "\n"},
            {"tab", "\t"}, {"cell", "\t"}, {"emdash", "\u2014"}, {"endash", "\u2013"},
            {"bullet", "\u2022"}, {"lquote", "\u2018"}, {"rquote", "\u2019"},
            {"ldblquote", "\u201c"}, {"rdblquote", "\u201d"}, {"emspace", " "}, {"enspace", " "}};
        for (const Symbol& symbol : symbols) {
            if (word == symbol.word) {
                text(symbol.text);
                return;
            }
        }
    }

    std::string_view m_rtf;
    bool m_html;
    std::size_t m_pos = 0;
    GroupState m_state;
    std::vector<GroupState> m_stack;
    std::size_t m_lostDepth = 0;
    bool m_starred = false;
    int m_pendingSkip = 0;
    std::uint32_t m_highSurrogate = 0;
    std::string m_charset = "windows-1252";
    std::string m_bytes;
    std::string m_out;
};

} // namespace

RtfContent readRtf(std::string_view rtf)
{
    mailstore::ensureGMime(); // the charset conversions use GMime's tables
    // \fromhtml1 belongs to the header, before the font table.
    const bool html = rtf.substr(0, 512).find("\\fromhtml1") != std::string_view::npos;
    return {RtfReader(rtf, html).run(), html};
}

} // namespace brisk::pst
