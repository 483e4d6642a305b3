#include "platform/mailstore/GMimeSupport.h"

#include "engine/MailStore.h"

#include <mutex>

namespace brisk::mailstore {

void ensureGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

GMimeParserOptions* parserOptions()
{
    ensureGMime();
    // Built once and kept for the process: GMime reads the options while
    // decoding headers lazily, long after the parse returned.
    static GMimeParserOptions* const options = [] {
        GMimeParserOptions* made = g_mime_parser_options_new();
        static const char* fallback[] = {"UTF-8", "windows-1252", nullptr};
        g_mime_parser_options_set_fallback_charsets(made, fallback);
        g_mime_parser_options_set_address_compliance_mode(made, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_parameter_compliance_mode(made, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_rfc2047_compliance_mode(made, GMIME_RFC_COMPLIANCE_LOOSE);
        return made;
    }();
    return options;
}

GPtr<GMimeMessage> parseMessage(GMimeStream* stream, const std::string& where)
{
    ensureGMime();
    // One parser a thread, set to each message's stream in turn: a parser
    // made and freed for every message cost 3% of a run on one thread.
    // Between messages it holds an empty stream, not the last message's.
    thread_local GPtr<GMimeParser> parser(g_mime_parser_new());
    thread_local GPtr<GMimeStream> nothing(g_mime_stream_mem_new());
    g_mime_parser_init_with_stream(parser.get(), stream);
    // Part contents stay references into the stream instead of copies, so a
    // large attachment costs no memory unless someone decodes it.
    g_mime_parser_set_persist_stream(parser.get(), TRUE);
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), parserOptions()));
    g_mime_parser_init_with_stream(parser.get(), nothing.get());
    if (!message)
        throw StoreError("cannot parse message: " + where);
    return message;
}

} // namespace brisk::mailstore
