#include "platform/imap/ImapStore.h"

#include "engine/Services.h"
#include "platform/imap/ImapErrors.h"
#include "platform/imap/ImapFolder.h"
#include "platform/imap/MailboxName.h"
#include "platform/mailstore/OpenStore.h"

#include <string.h>

namespace brisk::imap {
namespace {

constexpr std::size_t kMaxMailboxes = 20000;
constexpr std::size_t kMaxLevels = 64;

bool hasFlag(const ImapValue& flags, const char* name)
{
    for (const ImapValue& f : flags.items) {
        if (f.isAtom(name))
            return true;
    }
    return false;
}

// RFC 6154 section 2: \Sent and \Trash mark the folders of those roles.
void addListed(ImapFolder& root, const Response& r)
{
    if (r.words.size() != 4 || !r.words[0].isAtom("LIST") || r.words[1].kind != ImapValue::Kind::List
        || r.words[3].kind == ImapValue::Kind::List || r.words[3].kind == ImapValue::Kind::Nil)
        return;
    const ImapValue& flags = r.words[1];
    const std::string separator = r.words[2].kind == ImapValue::Kind::Nil ? "" : r.words[2].str();
    const std::string& mailbox = r.words[3].str();
    const std::vector<std::string> levels = splitMailboxName(mailbox, separator);
    if (levels.size() > kMaxLevels)
        throw ProtocolError("the server lists a folder nested more than " + std::to_string(kMaxLevels) + " deep");
    ImapFolder* folder = &root;
    std::string prefix;
    for (const std::string& level : levels) {
        prefix += (prefix.empty() ? "" : separator) + level;
        folder = &folder->child(decodeMailboxName(level), prefix);
    }
    const bool selectable = !hasFlag(flags, "\\Noselect") && !hasFlag(flags, "\\NonExistent");
    folder->setListed(mailbox, selectable, hasFlag(flags, "\\Trash"), hasFlag(flags, "\\Sent"));
}

MailFolder* firstFolder(ImapFolder& folder, bool (*match)(ImapFolder&))
{
    if (match(folder))
        return &folder;
    for (MailFolder* child : folder.folders()) {
        if (MailFolder* found = firstFolder(static_cast<ImapFolder&>(*child), match))
            return found;
    }
    return nullptr;
}

class ImapStore : public MailStore {
public:
    ImapStore(std::unique_ptr<ImapSession> session) : m_session(std::move(session))
    {
        m_root = std::make_unique<ImapFolder>(m_session->url().host, "", nullptr, *m_session);
    }

    void listFolders()
    {
        const bool specialUse = m_session->hasCapability("SPECIAL-USE") && m_session->hasCapability("LIST-EXTENDED");
        std::size_t listed = 0;
        m_session->run(specialUse ? "LIST \"\" \"*\" RETURN (SPECIAL-USE)" : "LIST \"\" \"*\"", {}, [&](Response& r) {
            if (++listed > kMaxMailboxes)
                throw ProtocolError("the server lists more than " + std::to_string(kMaxMailboxes) + " folders");
            addListed(*m_root, r);
        });
        m_root->sortChildren();
    }

    MailFolder& root() override { return *m_root; }

    // The folder the server marks \Sent, else the first with a sent-mail
    // name, depth-first; else the root.
    MailFolder& defaultFolder() override
    {
        if (!m_default) {
            m_default = firstFolder(*m_root, [](ImapFolder& f) { return f.isSent(); });
            if (!m_default)
                m_default = firstFolder(*m_root, [](ImapFolder& f) { return f.parent() && isSentFolderName(f.name()); });
            if (!m_default)
                m_default = m_root.get();
        }
        return *m_default;
    }

    std::string currentUser() const override { return accountDisplayName(); }
    std::string location() const override { return m_session->url().display(); }

private:
    std::unique_ptr<ImapSession> m_session;
    std::unique_ptr<ImapFolder> m_root;
    MailFolder* m_default = nullptr;
};

} // namespace

std::unique_ptr<MailStore> openImapStore(const std::string& location, Prompts& prompts, const ImapOptions& options)
{
    const ImapUrl url = parseImapUrl(location);
    std::optional<std::string> password = prompts.askPassword("Password for " + url.account() + ":",
                                                              std::string(kAppTitle));
    if (!password)
        throw StoreError("no password given for " + url.account());
    auto session = std::make_unique<ImapSession>(url, *password, options);
    explicit_bzero(password->data(), password->capacity());
    session->connect();
    auto store = std::make_unique<ImapStore>(std::move(session));
    store->listFolders();
    return store;
}

} // namespace brisk::imap
