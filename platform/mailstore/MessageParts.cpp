#include "platform/mailstore/MessageParts.h"

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
    GPtr<GMimeStream> sink(g_mime_stream_mem_new());
    if (g_mime_data_wrapper_write_to_stream(content, sink.get()) < 0)
        return {};
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(sink.get()));
    const std::string_view raw(reinterpret_cast<const char*>(bytes->data), bytes->len);
    const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
    return toUtf8(raw, charset ? charset : "");
}

} // namespace brisk::mailstore
