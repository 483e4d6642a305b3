#include "platform/mailstore/HtmlStream.h"

#include <libxml/HTMLparser.h>

#include <climits>

namespace brisk::mailstore {
namespace {

bool isNamed(const unsigned char* name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names)
        if (xmlStrcasecmp(name, reinterpret_cast<const xmlChar*>(candidate)) == 0)
            return true;
    return false;
}

HtmlTextStream& streamOf(void* context)
{
    return *static_cast<HtmlTextStream*>(context);
}

void onStartElement(void* context, const xmlChar* name, const xmlChar** /*attributes*/)
{
    streamOf(context).open(name);
}

void onEndElement(void* context, const xmlChar* /*name*/)
{
    streamOf(context).close();
}

void onText(void* context, const xmlChar* text, int length)
{
    if (length > 0)
        streamOf(context).text(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}

// Events only, no tree: the parser decides where implied elements go from
// its own stack of open elements, so the events are those a tree is built
// from.
htmlSAXHandler textHandler()
{
    htmlSAXHandler sax{};
    sax.startElement = onStartElement;
    sax.endElement = onEndElement;
    sax.characters = onText;
    sax.cdataBlock = onText;
    return sax;
}

} // namespace

HtmlRole htmlRole(const unsigned char* name)
{
    if (isNamed(name, {"script", "style", "head", "title"}))
        return HtmlRole::Dropped;
    if (isNamed(name, {"br"}))
        return HtmlRole::LineBreak;
    if (isNamed(name, {"p", "div", "li", "tr", "h1", "h2", "h3", "h4", "h5", "h6"}))
        return HtmlRole::Block;
    if (isNamed(name, {"td", "th"}))
        return HtmlRole::Cell;
    return HtmlRole::Inline;
}

void PlainTextWriter::put(char c)
{
    if (c == '\n') {
        ++m_heldLineEnds;
    } else {
        for (; m_heldLineEnds > 0; --m_heldLineEnds)
            m_out.write("\n");
        m_out.write(std::string_view(&c, 1));
    }
    m_written = true;
    m_last = c;
}

void PlainTextWriter::text(std::string_view content)
{
    for (const char c : content) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            m_pendingSpace = !atLineStart();
            continue;
        }
        if (m_pendingSpace)
            put(' ');
        m_pendingSpace = false;
        put(c);
    }
}

void PlainTextWriter::lineBreak()
{
    put('\n');
    m_pendingSpace = false;
}

void PlainTextWriter::endLine()
{
    if (!atLineStart())
        put('\n');
    m_pendingSpace = false;
}

void PlainTextWriter::separate()
{
    m_pendingSpace = !atLineStart();
}

void PlainTextWriter::finish()
{
    m_heldLineEnds = 0;
    m_out.flush();
}

HtmlTextStream::~HtmlTextStream()
{
    release();
}

void HtmlTextStream::release()
{
    auto* parser = static_cast<htmlParserCtxtPtr>(m_parser);
    if (!parser)
        return;
    htmlFreeParserCtxt(parser);
    m_parser = nullptr;
}

void HtmlTextStream::feed(std::string_view html)
{
    if (html.empty())
        return;
    if (!m_parser) {
        // The text is UTF-8 already: a <meta> charset must not recode it.
        htmlSAXHandler sax = textHandler();
        htmlParserCtxtPtr parser = htmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
        if (!parser)
            return;
        htmlCtxtUseOptions(parser, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET
                                       | HTML_PARSE_IGNORE_ENC);
        m_parser = parser;
    }
    // libxml2's push parser loses text when a chunk ends inside a tag or
    // inside a script's end tag: hand it pieces that end after a ">".
    // A text without any (over a megabyte) goes as it is.
    constexpr std::size_t kMaxHeld = 1 << 20;
    const std::size_t end = html.rfind('>');
    if (end == std::string_view::npos) {
        m_held.append(html);
        if (m_held.size() > kMaxHeld) {
            parse(m_held, false);
            m_held.clear();
        }
        return;
    }
    m_held.append(html.substr(0, end + 1));
    parse(m_held, false);
    m_held.assign(html.substr(end + 1));
}

void HtmlTextStream::parse(std::string_view html, bool last)
{
    constexpr std::size_t kPiece = INT_MAX / 2;
    auto* parser = static_cast<htmlParserCtxtPtr>(m_parser);
    for (std::size_t at = 0; at < html.size(); at += kPiece) {
        const std::string_view piece = html.substr(at, kPiece);
        htmlParseChunk(parser, piece.data(), static_cast<int>(piece.size()), 0);
    }
    if (last)
        htmlParseChunk(parser, nullptr, 0, 1);
}

void HtmlTextStream::finish()
{
    if (m_parser)
        parse(m_held, true);
    m_held.clear();
    release();
    m_writer.finish();
}

void HtmlTextStream::open(const unsigned char* name)
{
    const HtmlRole role = htmlRole(name);
    m_open.push_back(role);
    const bool muted = m_muted > 0;
    if (role == HtmlRole::Dropped || role == HtmlRole::LineBreak)
        ++m_muted;
    if (muted)
        return;
    if (role == HtmlRole::LineBreak)
        m_writer.lineBreak();
    else if (role == HtmlRole::Block)
        m_writer.endLine();
}

void HtmlTextStream::close()
{
    if (m_open.empty())
        return;
    const HtmlRole role = m_open.back();
    m_open.pop_back();
    if (role == HtmlRole::Dropped || role == HtmlRole::LineBreak)
        --m_muted;
    else if (m_muted == 0 && role == HtmlRole::Block)
        m_writer.endLine();
    else if (m_muted == 0 && role == HtmlRole::Cell)
        m_writer.separate();
}

void HtmlTextStream::text(std::string_view content)
{
    if (m_muted == 0)
        m_writer.text(content);
}

} // namespace brisk::mailstore
