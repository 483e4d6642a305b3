#include "platform/mailstore/MessageItem.h"

#include "dates/DateValue.h"
#include "platform/mailstore/AddressList.h"
#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/MboxIndex.h"
#include "platform/mailstore/MessageParts.h"
#include "platform/mailstore/TextConvert.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <cstring>

namespace brisk::mailstore {
namespace {

std::optional<std::int64_t> parseDate(const char* text)
{
    if (!text)
        return std::nullopt;
    GDateTime* date = g_mime_utils_header_decode_date(text);
    if (!date)
        return std::nullopt;
    const std::int64_t seconds = g_date_time_to_unix(date);
    g_date_time_unref(date);
    return seconds;
}

// RFC 5321 section 4.4: each relay prepends a Received: line whose date
// follows the last ";", so the topmost one tells when the message arrived.
std::optional<std::int64_t> receivedDate(GMimeObject* message)
{
    const char* received = g_mime_object_get_header(message, "Received");
    if (received) {
        const char* semicolon = std::strrchr(received, ';');
        if (semicolon) {
            if (auto seconds = parseDate(semicolon + 1))
                return seconds;
        }
    }
    return parseDate(g_mime_object_get_header(message, "Date"));
}

// The ids of a header holding a list of message ids, without their angle
// brackets, in header order.
std::vector<std::string> referencedIds(GMimeMessage* message, const char* name)
{
    std::vector<std::string> ids;
    const char* header = g_mime_object_get_header(GMIME_OBJECT(message), name);
    GMimeReferences* references = header ? g_mime_references_parse(parserOptions(), header) : nullptr;
    if (!references)
        return ids;
    const int count = g_mime_references_length(references);
    for (int i = 0; i < count; ++i) {
        if (const char* id = g_mime_references_get_message_id(references, i))
            ids.emplace_back(id);
    }
    g_mime_references_free(references);
    return ids;
}

// True when a blank line (RFC 5322 section 2.1) ends the header block
// within `limit` bytes from `offset`.
bool headerEndsWithin(const ReadOnlyFile& file, std::int64_t offset, std::int64_t limit)
{
    constexpr std::int64_t kWindow = 64 * 1024;
    std::string window;
    char last = '\n', beforeLast = 0; // the block's start counts as a line start
    for (std::int64_t done = 0; done < limit; done += kWindow) {
        window.resize(static_cast<size_t>(std::min(kWindow, limit - done)));
        file.readInto(window.data(), offset + done, static_cast<std::int64_t>(window.size()));
        for (const char c : window) {
            if (c == '\n' && (last == '\n' || (last == '\r' && beforeLast == '\n')))
                return true;
            beforeLast = last;
            last = c;
        }
    }
    return false;
}

} // namespace

MessageItem::MessageItem(ItemLocation where, TimeZone zone) : m_where(std::move(where)), m_zone(std::move(zone))
{
    if (m_where.length)
        m_size = *m_where.length;
}

MessageItem::MessageItem(MemoryMessage message, TimeZone zone) : m_zone(std::move(zone)), m_memory(std::move(message))
{
    m_size = m_memory->size;
}

// "<offset> <length or -> <quoted 0/1> <zone>\n<path>": the path last, as
// it may hold any byte but NUL.
std::string MessageItem::recipe() const
{
    if (m_memory)
        return {};
    std::string text = std::to_string(m_where.offset) + ' ';
    text += m_where.length ? std::to_string(*m_where.length) : "-";
    text += m_where.mboxQuoted ? " 1 " : " 0 ";
    text += m_zone.id() + '\n';
    return text + m_where.file.string();
}

std::unique_ptr<MessageItem> MessageItem::fromRecipe(std::string_view recipe)
{
    const auto bad = [] { return StoreError("not a message's recipe"); };
    const auto newline = recipe.find('\n');
    if (newline == std::string_view::npos)
        throw bad();
    std::istringstream fields{std::string(recipe.substr(0, newline))};
    ItemLocation where;
    std::string length, zoneId;
    int quoted = 0;
    if (!(fields >> where.offset >> length >> quoted >> zoneId) || where.offset < 0 || quoted < 0 || quoted > 1)
        throw bad();
    if (length != "-") {
        std::int64_t bytes = -1;
        const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), bytes);
        if (error != std::errc() || end != length.data() + length.size() || bytes < 0)
            throw bad();
        where.length = bytes;
    }
    where.mboxQuoted = quoted == 1;
    where.file = std::string(recipe.substr(newline + 1));
    std::optional<TimeZone> zone = TimeZone::named(zoneId);
    if (!zone || where.file.empty())
        throw bad();
    return std::make_unique<MessageItem>(std::move(where), std::move(*zone));
}

std::string MessageItem::describe() const
{
    if (m_memory)
        return m_memory->where;
    if (!m_where.length)
        return m_where.file.string();
    return m_where.file.string() + " (message at byte " + std::to_string(m_where.offset) + ")";
}

GPtr<GMimeStream> MessageItem::openStream()
{
    if (m_memory) {
        m_fileTime = m_memory->fallbackTime;
        GMimeStream* stream = g_mime_stream_mem_new_with_buffer(m_memory->bytes.data(), m_memory->bytes.size());
        std::string().swap(m_memory->bytes); // the stream holds its own copy
        return GPtr<GMimeStream>(stream);
    }
    ReadOnlyFile file(m_where.file);
    const FileInfo info = file.info();
    m_fileTime = info.mtime;
    const std::int64_t length = m_where.length.value_or(info.size - m_where.offset);
    if (!m_size)
        m_size = length;
    // An mbox cut short since it was indexed: the range is no longer there.
    if (length < 0 || m_where.offset > info.size - length)
        throw StoreError("cannot read " + describe() + ": file ended early");
    if (length > inMemoryLimit) {
        // GMime holds the header block in memory: one that does not end
        // within the limit (a hostile or broken message) is refused.
        if (!headerEndsWithin(file, m_where.offset, std::min(length, inMemoryLimit)))
            throw StoreError("cannot read " + describe() + ": its header is longer than "
                             + std::to_string(inMemoryLimit >> 20) + " MiB");
        // A bounded window of the file: GMime reads it piece by piece and
        // keeps only references to the parts, whatever the message's size.
        if (m_where.mboxQuoted)
            return GPtr<GMimeStream>(g_mime_stream_fs_new(unquotedCopy(file, m_where.offset, length)));
        const int fd = file.release();
        return GPtr<GMimeStream>(g_mime_stream_fs_new_with_bounds(fd, m_where.offset, m_where.offset + length));
    }
    // Read straight into the array the memory stream takes over: one copy.
    // The length is at most inMemoryLimit here, so it fits the array's size.
    const auto small = static_cast<guint>(length);
    GByteArray* bytes = g_byte_array_sized_new(small);
    g_byte_array_set_size(bytes, small);
    try {
        file.readInto(reinterpret_cast<char*>(bytes->data), m_where.offset, length);
    } catch (...) {
        g_byte_array_unref(bytes);
        throw;
    }
    if (m_where.mboxQuoted)
        g_byte_array_set_size(bytes, static_cast<guint>(unquoteFromLines(reinterpret_cast<char*>(bytes->data), bytes->len)));
    return GPtr<GMimeStream>(g_mime_stream_mem_new_with_byte_array(bytes));
}

void MessageItem::ensureParsed()
{
    if (m_message)
        return;
    ensureGMime();
    GPtr<GMimeStream> stream = openStream();
    GPtr<GMimeMessage> message = parseMessage(stream.get(), describe());
    m_message = std::move(message);
    readHeaders();
    scanParts();
}

void MessageItem::readHeaders()
{
    GMimeObject* object = GMIME_OBJECT(m_message.get());
    m_receivedTime = m_zone.localTime(receivedDate(object).value_or(m_fileTime));
    const char* subject = g_mime_message_get_subject(m_message.get());
    m_subject = subject ? toUtf8(subject, {}) : std::string();
    for (const char* header : {"To", "Cc", "Bcc"}) {
        std::vector<std::string> names = addressNames(m_message.get(), header);
        m_recipients.insert(m_recipients.end(), std::make_move_iterator(names.begin()),
                            std::make_move_iterator(names.end()));
    }
    std::vector<std::string> senders = addressNames(m_message.get(), "From");
    if (!senders.empty())
        m_senderName = std::move(senders.front());
}

void MessageItem::scanParts()
{
    const PartSummary parts = summariseParts(m_message.get());
    m_attachmentCount = parts.attachments;
    m_bodyPart = parts.plainText ? parts.plainText : parts.html;
    m_bodyIsHtml = !parts.plainText && parts.html;
    if (parts.report)
        m_typeName = "ReportItem";
    else if (parts.meeting)
        m_typeName = "MeetingItem";
    else
        m_typeName = "MailItem";
}

const std::string& MessageItem::typeName()
{
    ensureParsed();
    return m_typeName;
}

double MessageItem::receivedTime()
{
    ensureParsed();
    return m_receivedTime;
}

const std::string& MessageItem::subject()
{
    ensureParsed();
    return m_subject;
}

bool MessageItem::bodyIsLarge() const
{
    return m_bodyPart && storedLength(m_bodyPart) > wholeBodyLimit;
}

const std::string& MessageItem::body()
{
    return bodyText(true);
}

const std::string& MessageItem::bodyText(bool crLf)
{
    ensureParsed();
    if (!m_bodyDone) {
        m_bodyDone = true;
        if (!m_bodyPart)
            m_bodyCrLf = true;
        else if (!bodyIsLarge())
            m_body = m_bodyIsHtml ? htmlToText(decodedText(m_bodyPart)) : decodedText(m_bodyPart);
        else
            readShownBody();
    }
    if (crLf && !m_bodyCrLf) {
        makeCrLf(m_body);
        m_bodyCrLf = true;
    }
    return m_body;
}

// A large body as shown: streamed, its lines ended by CR LF, cut at the
// shown limit.
void MessageItem::readShownBody()
{
    bool cut = false;
    streamBodyText(m_bodyPart, m_bodyIsHtml, [&](std::string_view text) {
        cut = cut || m_body.size() + text.size() > shownBodyLimit;
        m_body.append(text.substr(0, shownBodyLimit - std::min(shownBodyLimit, m_body.size())));
    });
    if (cut)
        m_body += "\r\n[... body cut at " + std::to_string(shownBodyLimit >> 20) + " MB ...]\r\n";
    m_bodyCrLf = true;
}

void MessageItem::readBody(const BodyChunkSink& chunk)
{
    ensureParsed();
    // Line ends as decoded: the reader takes a lone CR or LF as CR LF.
    if (!bodyIsLarge())
        return chunk(bodyText(false));
    // Streamed again even when body() was asked for: that one may be cut.
    streamBodyText(m_bodyPart, m_bodyIsHtml, chunk);
}

std::int64_t MessageItem::size()
{
    if (!m_size)
        m_size = fileInfo(m_where.file).size - m_where.offset;
    return *m_size;
}

int MessageItem::attachmentCount()
{
    ensureParsed();
    return m_attachmentCount;
}

const std::vector<std::string>& MessageItem::recipients()
{
    ensureParsed();
    return m_recipients;
}

const std::string& MessageItem::senderName()
{
    ensureParsed();
    return m_senderName;
}

std::string MessageItem::messageId()
{
    ensureParsed();
    const char* id = g_mime_message_get_message_id(m_message.get());
    return id ? id : "";
}

// RFC 5322 section 3.6.4: In-Reply-To holds the parent's id (some clients
// add more than one); References the thread's ids, oldest first.
std::vector<std::string> MessageItem::inReplyTo()
{
    ensureParsed();
    return referencedIds(m_message.get(), "In-Reply-To");
}

std::vector<std::string> MessageItem::references()
{
    ensureParsed();
    return referencedIds(m_message.get(), "References");
}

} // namespace brisk::mailstore
