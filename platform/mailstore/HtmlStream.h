#pragma once
// HTML turned into plain text as a mail client shows it, on a stream:
// script, style, head and title dropped, block elements end lines, table
// cells separated by a blank, runs of blanks collapsed, trailing line ends
// dropped. htmlToText runs a whole document through the same stream.

#include "platform/mailstore/TextStream.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brisk::mailstore {

// What an element does to the text around and inside it.
enum class HtmlRole { Dropped, LineBreak, Block, Cell, Inline };
HtmlRole htmlRole(const unsigned char* name);

// Writes text content and line structure; blanks and line ends are held
// back until text follows them.
class PlainTextWriter {
public:
    explicit PlainTextWriter(const TextSink& sink) : m_out(sink) {}
    void text(std::string_view content);
    void lineBreak();
    // Starts a new line unless the text is at a line start already.
    void endLine();
    void separate();
    // Drops the held line ends and hands over what is left.
    void finish();

private:
    void put(char c);
    bool atLineStart() const { return !m_written || m_last == '\n'; }

    BufferedSink m_out;
    bool m_written = false;
    char m_last = 0;
    bool m_pendingSpace = false;
    std::size_t m_heldLineEnds = 0;
};

// HTML fed in chunks to libxml2's push parser, which reports elements and
// text without building a tree; the text reaches the sink as the document
// goes, the text htmlToText gives.
class HtmlTextStream {
public:
    explicit HtmlTextStream(const TextSink& sink) : m_writer(sink) {}
    ~HtmlTextStream();
    HtmlTextStream(const HtmlTextStream&) = delete;
    HtmlTextStream& operator=(const HtmlTextStream&) = delete;

    void feed(std::string_view html);
    void finish();

    // Parser callbacks.
    void open(const unsigned char* name);
    void close();
    void text(std::string_view content);

private:
    void parse(std::string_view html, bool last);
    void release();

    PlainTextWriter m_writer;
    void* m_parser = nullptr; // htmlParserCtxtPtr
    // Input after the last ">" seen, held for the next piece.
    std::string m_held;
    std::vector<HtmlRole> m_open;
    // Open elements whose content is not text (dropped ones, line breaks).
    std::size_t m_muted = 0;
};

} // namespace brisk::mailstore
