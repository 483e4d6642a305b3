#pragma once
// A mailbox of an IMAP account as a folder of the store. Items are the
// mailbox's messages in UID order; they are fetched with BODY.PEEK[] in
// batches of about ImapOptions::batchBytes ahead of the walk, after EXAMINE,
// so reading changes no flag on the server.

#include "engine/MailStore.h"
#include "platform/imap/ImapSession.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brisk::imap {

class ImapFolder : public MailFolder {
public:
    // `mailbox` is the server's own name; "" for the account's root.
    ImapFolder(std::string name, std::string mailbox, ImapFolder* parent, ImapSession& session);

    const std::string& name() const override { return m_name; }
    std::string path() const override;
    MailFolder* parent() const override { return m_parent; }
    long itemCount() override;
    std::unique_ptr<MailItem> item(long index) override;
    const std::vector<MailFolder*>& folders() override { return m_view; }
    bool isTrash() const override { return m_trash; }
    void scanThreadHeaders(const ThreadHeaderSink& sink) override;

    // Building the tree from LIST.
    ImapFolder& child(const std::string& name, const std::string& mailbox);
    void setListed(const std::string& mailbox, bool selectable, bool trash, bool sent);
    void sortChildren();
    bool isSent() const { return m_sent; }

private:
    struct MessageRef {
        std::uint32_t uid = 0;
        std::int64_t size = 0;
        std::int64_t time = 0;
    };
    void loadMessages();
    void openMailbox();
    void fetchBatch(long index);
    std::vector<std::uint32_t> batchFrom(long index) const;
    void fetchInto(std::unordered_map<std::uint32_t, std::string>& into, const std::vector<std::uint32_t>& uids,
                   bool ahead);
    const MessageRef* findUid(std::uint32_t uid) const;
    std::string where(std::uint32_t uid) const;

    std::string m_name;
    std::string m_mailbox;
    ImapFolder* m_parent;
    ImapSession& m_session;
    bool m_selectable = false;
    bool m_trash = false;
    bool m_sent = false;
    std::optional<std::uint64_t> m_uidValidity;
    std::optional<std::vector<MessageRef>> m_messages;
    std::unordered_map<std::uint32_t, std::string> m_batch;
    // The batch asked for ahead of the walk: its first index, once whole.
    std::unordered_map<std::uint32_t, std::string> m_ahead;
    long m_aheadFirst = 0;
    bool m_aheadReady = false;
    std::vector<std::unique_ptr<ImapFolder>> m_children;
    std::vector<MailFolder*> m_view;
};

// "06-Dec-2026 12:47:32 +0100" (RFC 3501 section 9, date-time) as seconds
// since the epoch; nullopt when malformed.
std::optional<std::int64_t> parseInternalDate(const std::string& text);

// "1:5,9" for sorted UIDs (RFC 3501 section 9, sequence-set).
std::string uidSet(const std::vector<std::uint32_t>& uids);

} // namespace brisk::imap
