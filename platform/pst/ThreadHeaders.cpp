#include "platform/pst/ThreadHeaders.h"

#include "engine/MailStore.h"
#include "platform/mailstore/GMimeSupport.h"

namespace brisk::pst {

using mailstore::GPtr;

std::vector<std::string> messageIdsOf(std::string_view value)
{
    mailstore::ensureGMime();
    const std::string text(value);
    std::vector<std::string> ids;
    GMimeReferences* refs = g_mime_references_parse(mailstore::parserOptions(), text.c_str());
    if (!refs)
        return ids;
    for (int i = 0; i < g_mime_references_length(refs); ++i) {
        if (const char* id = g_mime_references_get_message_id(refs, i); id && *id)
            ids.emplace_back(id);
    }
    g_mime_references_free(refs);
    return ids;
}

ThreadHeaders threadHeadersOf(std::string_view headerBlock)
{
    // An empty line ends the headers even when the stored block lacks one.
    std::string bytes(headerBlock);
    bytes += "\r\n\r\n";
    GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
    ThreadHeaders headers;
    GPtr<GMimeMessage> message;
    try {
        message = mailstore::parseMessage(stream.get(), "transport headers");
    } catch (const StoreError&) {
        return headers;
    }
    GMimeObject* object = GMIME_OBJECT(message.get());
    if (const char* id = g_mime_message_get_message_id(message.get()))
        headers.messageId = id;
    if (const char* value = g_mime_object_get_header(object, "In-Reply-To"))
        headers.inReplyTo = messageIdsOf(value);
    if (const char* value = g_mime_object_get_header(object, "References"))
        headers.references = messageIdsOf(value);
    return headers;
}

} // namespace brisk::pst
