#include "platform/mailstore/TextConvert.h"

#include "platform/mailstore/GMimeSupport.h"

#include <gmime/gmime.h>
#include <libxml/HTMLparser.h>

#include <array>
#include <cstring>
#include <memory>

namespace brisk::mailstore {
namespace {

bool isValidUtf8(std::string_view bytes)
{
    return g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
}

// g_convert, or false when iconv does not know the charset or a byte has no
// mapping (windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined).
bool convert(std::string_view bytes, const char* from, std::string& out)
{
    gsize written = 0;
    GError* error = nullptr;
    gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", from, nullptr,
                                 &written, &error);
    if (!converted) {
        g_clear_error(&error);
        return false;
    }
    out.assign(converted, written);
    g_free(converted);
    return isValidUtf8(out);
}

// Labels whose text is UTF-8 as it stands when it validates: iconv would
// copy it byte for byte (US-ASCII is a subset; for it, 8-bit bytes that form
// valid UTF-8 are taken as UTF-8 below anyway).
bool isUtf8Compatible(const char* iconvName)
{
    for (const char* name : {"UTF-8", "UTF8", "US-ASCII", "ASCII", "ANSI_X3.4-1968"})
        if (g_ascii_strcasecmp(iconvName, name) == 0)
            return true;
    return false;
}

} // namespace

std::string toUtf8(std::string_view bytes, std::string_view charset)
{
    // GMime's charset table exists only after g_mime_init(); before it each
    // name looked up was allocated afresh and never freed.
    ensureGMime();
    std::string out;
    if (!charset.empty()) {
        const std::string label(charset);
        const char* iconvName = g_mime_charset_iconv_name(label.c_str());
        if (iconvName && isUtf8Compatible(iconvName) && isValidUtf8(bytes))
            return std::string(bytes);
        if (iconvName && convert(bytes, iconvName, out))
            return out;
    }
    if (isValidUtf8(bytes))
        return std::string(bytes);
    if (convert(bytes, "WINDOWS-1252", out))
        return out;
    gchar* valid = g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size()));
    out = valid;
    g_free(valid);
    return out;
}

namespace {

bool isNamed(const xmlNode* node, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0)
            return true;
    }
    return false;
}

class TextWriter {
public:
    void text(const char* content)
    {
        for (const char* c = content; *c; ++c) {
            const bool blank = *c == ' ' || *c == '\t' || *c == '\n' || *c == '\r' || *c == '\f';
            if (blank) {
                m_pendingSpace = !m_out.empty() && m_out.back() != '\n';
                continue;
            }
            if (m_pendingSpace)
                m_out += ' ';
            m_pendingSpace = false;
            m_out += *c;
        }
    }
    void lineBreak()
    {
        m_out += '\n';
        m_pendingSpace = false;
    }
    // Starts a new line unless the text is at a line start already.
    void endLine()
    {
        if (!m_out.empty() && m_out.back() != '\n')
            m_out += '\n';
        m_pendingSpace = false;
    }
    void separate() { m_pendingSpace = !m_out.empty() && m_out.back() != '\n'; }
    std::string take()
    {
        while (!m_out.empty() && m_out.back() == '\n')
            m_out.pop_back();
        return std::move(m_out);
    }

private:
    std::string m_out;
    bool m_pendingSpace = false;
};

void walk(const xmlNode* node, TextWriter& writer)
{
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content)
                writer.text(reinterpret_cast<const char*>(node->content));
            continue;
        }
        if (node->type != XML_ELEMENT_NODE || isNamed(node, {"script", "style", "head", "title"}))
            continue;
        if (isNamed(node, {"br"})) {
            writer.lineBreak();
            continue;
        }
        const bool block = isNamed(node, {"p", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6"});
        if (block)
            writer.endLine();
        walk(node->children, writer);
        if (block)
            writer.endLine();
        else if (isNamed(node, {"td", "th"}))
            writer.separate();
    }
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

} // namespace

std::string htmlToText(std::string_view html)
{
    if (html.empty())
        return {};
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    std::unique_ptr<xmlDoc, DocFree> doc(
        htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", options));
    if (!doc)
        return {};
    TextWriter writer;
    walk(xmlDocGetRootElement(doc.get()), writer);
    return writer.take();
}

std::string toCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace brisk::mailstore

