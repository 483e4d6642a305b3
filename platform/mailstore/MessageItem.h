#pragma once
// One message of a folder, read from a file or from a byte range of an mbox
// file. The message is parsed once, on the first accessor call; the cheap
// header values are worked out then, the body only when body() is called.

#include "dates/TimeZone.h"
#include "engine/MailStore.h"
#include "platform/mailstore/GMimeSupport.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace brisk::mailstore {

struct ItemLocation {
    std::filesystem::path file;
    std::int64_t offset = 0;
    // Bytes of the message; nullopt for the whole file.
    std::optional<std::int64_t> length;
    // Lines quoted as ">From " in an mbox are unquoted before parsing.
    bool mboxQuoted = false;
};

// A message held in memory (fetched from a server): its bytes, its size as
// the store reports it, the time used when its headers carry no usable date,
// and the text that names it in errors.
struct MemoryMessage {
    std::string bytes;
    std::int64_t size = 0;
    std::int64_t fallbackTime = 0; // seconds since the epoch
    std::string where;
};

class MessageItem : public MailItem {
public:
    // The received time is given in `zone`.
    MessageItem(ItemLocation where, TimeZone zone);
    // Parsed exactly as a file with the same bytes would be.
    MessageItem(MemoryMessage message, TimeZone zone);

    const std::string& typeName() override;
    double receivedTime() override;
    const std::string& subject() override;
    // For a large body part, the text up to shownBodyLimit and a note.
    const std::string& body() override;
    // A large body part is decoded through fixed buffers, never held whole;
    // a small one is handed over with its line ends as decoded.
    void readBody(const BodyChunkSink& chunk) override;
    std::int64_t size() override;
    int attachmentCount() override;
    const std::vector<std::string>& recipients() override;
    const std::string& senderName() override;
    std::string messageId() override;
    std::vector<std::string> inReplyTo() override;
    std::vector<std::string> references() override;
    // It reads its own file or bytes, never the folder's.
    bool readableOnAnyThread() const override { return true; }
    // The file, its range and the zone, for a parser process; empty for a
    // message held in memory, whose bytes would cost more to send than to
    // parse.
    std::string recipe() const override;
    // The item a recipe describes; throws StoreError for a malformed one.
    static std::unique_ptr<MessageItem> fromRecipe(std::string_view recipe);

    // Messages up to this size are read into memory in one go; larger ones
    // are parsed from the file so their attachments are never loaded.
    static constexpr std::int64_t inMemoryLimit = 4 << 20;
    // Body parts up to this size are decoded whole, larger ones streamed.
    static constexpr std::int64_t wholeBodyLimit = 1 << 20;
    static constexpr std::size_t shownBodyLimit = 8 << 20;

private:
    void ensureParsed();
    GPtr<GMimeStream> openStream();
    void readHeaders();
    void scanParts();
    bool bodyIsLarge() const;
    // The body's text, kept; its line ends made CR LF if `crLf`, else as
    // decoded until body() is asked for.
    const std::string& bodyText(bool crLf);
    void readShownBody();
    std::string describe() const;

    ItemLocation m_where;
    TimeZone m_zone;
    std::optional<MemoryMessage> m_memory;
    GPtr<GMimeMessage> m_message;
    GMimeObject* m_bodyPart = nullptr; // owned by m_message
    bool m_bodyIsHtml = false;
    bool m_bodyDone = false;
    bool m_bodyCrLf = false; // m_body's lines end in CR LF
    std::int64_t m_fileTime = 0;
    std::optional<std::int64_t> m_size;

    std::string m_typeName;
    double m_receivedTime = 0;
    std::string m_subject;
    std::string m_body;
    int m_attachmentCount = 0;
    std::vector<std::string> m_recipients;
    std::string m_senderName;
};

} // namespace brisk::mailstore
