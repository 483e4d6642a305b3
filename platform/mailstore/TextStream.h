#pragma once
// The conversions of TextConvert.h done on a stream: text arrives in chunks
// cut anywhere and leaves through a sink, with memory bounded by a few
// fixed buffers instead of by the text. Each gives, chunk by chunk, exactly
// the bytes its whole-text counterpart gives.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace brisk::mailstore {

using TextSink = std::function<void(std::string_view)>;

// Collects small writes into one buffer handed to the sink when full.
class BufferedSink {
public:
    explicit BufferedSink(const TextSink& sink);
    void write(std::string_view text);
    void flush();

private:
    const TextSink& m_sink;
    std::string m_buffer;
};

// toCrLf on a stream: every lone LF and lone CR becomes CR LF.
class CrLfStream {
public:
    explicit CrLfStream(const TextSink& sink) : m_out(sink) {}
    void feed(std::string_view text);
    void finish() { m_out.flush(); }

private:
    BufferedSink m_out;
    bool m_afterCr = false;
};

// Reads the undecoded bytes from their start, each call, into the sink;
// false when they cannot be read.
using ByteSource = std::function<bool(const TextSink&)>;

// toUtf8 on a stream. The choice between the bytes as they are, the
// declared charset, windows-1252 and replacement characters depends on the
// whole text, so the source is read once to choose and once to convert.
// Nothing reaches the sink when the source cannot be read.
void streamUtf8(const ByteSource& source, std::string_view charset, const TextSink& sink);

} // namespace brisk::mailstore
