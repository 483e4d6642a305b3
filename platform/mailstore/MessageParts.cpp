#include "platform/mailstore/MessageParts.h"

#include "platform/mailstore/HtmlStream.h"
#include "platform/mailstore/TextConvert.h"

#include <strings.h>

namespace brisk::mailstore {
namespace {

bool hasText(const char* value)
{
    return value && *value;
}

void visitPart(GMimeObject* /*parent*/, GMimeObject* part, gpointer data)
{
    auto& summary = *static_cast<PartSummary*>(data);
    if (GMIME_IS_MULTIPART(part))
        return;
    GMimeContentType* type = g_mime_object_get_content_type(part);
    if (type && g_mime_content_type_is_type(type, "text", "calendar")
        && hasText(g_mime_object_get_content_type_parameter(part, "method")))
        summary.meeting = true;
    if (isAttachment(part)) {
        ++summary.attachments;
        return;
    }
    if (!GMIME_IS_PART(part) || !type)
        return;
    if (!summary.plainText && g_mime_content_type_is_type(type, "text", "plain"))
        summary.plainText = part;
    else if (!summary.html && g_mime_content_type_is_type(type, "text", "html"))
        summary.html = part;
}

} // namespace

bool isAttachment(GMimeObject* part)
{
    const char* disposition = g_mime_object_get_disposition(part);
    if (disposition && ::strcasecmp(disposition, "attachment") == 0)
        return true;
    return hasText(g_mime_object_get_content_disposition_parameter(part, "filename"))
        || hasText(g_mime_object_get_content_type_parameter(part, "name"));
}

PartSummary summariseParts(GMimeMessage* message)
{
    PartSummary summary;
    GMimeObject* top = g_mime_message_get_mime_part(message);
    if (!top)
        return summary;
    GMimeContentType* type = g_mime_object_get_content_type(top);
    summary.report = type && g_mime_content_type_is_type(type, "multipart", "report");
    // g_mime_message_foreach visits the top part and, through multiparts,
    // every part below; an attached message (message/rfc822) is one leaf.
    g_mime_message_foreach(message, visitPart, &summary);
    return summary;
}

std::string decodedText(GMimeObject* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    if (!content)
        return {};
    // Decoded text is never longer than its stored form (RFC 2045 section
    // 6: base64 and quoted-printable only shrink): one allocation of that
    // size, no growing.
    GMimeStream* stored = g_mime_data_wrapper_get_stream(content);
    const gint64 length = stored ? g_mime_stream_length(stored) : -1;
    GByteArray* array = g_byte_array_sized_new(length > 0 && length <= G_MAXUINT ? static_cast<guint>(length) : 0);
    GPtr<GMimeStream> sink(g_mime_stream_mem_new_with_byte_array(array));
    if (g_mime_data_wrapper_write_to_stream(content, sink.get()) < 0)
        return {};
    std::string text(reinterpret_cast<const char*>(array->data), array->len);
    const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
    makeUtf8(text, charset ? charset : "");
    return text;
}

std::int64_t storedLength(GMimeObject* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    GMimeStream* stored = content ? g_mime_data_wrapper_get_stream(content) : nullptr;
    return stored ? g_mime_stream_length(stored) : 0;
}

namespace {

// The content's bytes with their transfer encoding undone, read from the
// start each time, as g_mime_data_wrapper_write_to_stream reads them.
bool readDecoded(GMimeObject* part, const TextSink& sink)
{
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    if (!content)
        return true;
    GMimeStream* stored = g_mime_data_wrapper_get_stream(content);
    g_mime_stream_reset(stored);
    GPtr<GMimeStream> decoded(g_mime_stream_filter_new(stored));
    const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content);
    if (encoding == GMIME_CONTENT_ENCODING_BASE64 || encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE
        || encoding == GMIME_CONTENT_ENCODING_UUENCODE) {
        GPtr<GMimeFilter> filter(g_mime_filter_basic_new(encoding, FALSE));
        g_mime_stream_filter_add(GMIME_STREAM_FILTER(decoded.get()), filter.get());
    }
    std::string buffer(64 * 1024, '\0');
    while (!g_mime_stream_eos(decoded.get())) {
        const gssize n = g_mime_stream_read(decoded.get(), buffer.data(), buffer.size());
        if (n < 0)
            return false;
        sink(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
    return true;
}

} // namespace

void streamBodyText(GMimeObject* part, bool html, const TextSink& sink)
{
    const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
    const ByteSource source = [part](const TextSink& bytes) { return readDecoded(part, bytes); };
    CrLfStream lines(sink);
    const TextSink toLines = [&](std::string_view text) { lines.feed(text); };
    if (html) {
        HtmlTextStream text(toLines);
        streamUtf8(source, charset ? charset : "", [&](std::string_view markup) { text.feed(markup); });
        text.finish();
    } else {
        streamUtf8(source, charset ? charset : "", toLines);
    }
    lines.finish();
}

} // namespace brisk::mailstore
