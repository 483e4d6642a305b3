#include "platform/mailstore/OpenStore.h"

#include "platform/imap/ImapStore.h"
#include "platform/imap/ImapUrl.h"
#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/StoreFolder.h"
#include "platform/pst/PstStore.h"

#include <strings.h>

#include <vector>

namespace brisk {
namespace {

MailFolder* firstSentFolder(MailFolder& folder)
{
    if (isSentFolderName(folder.name()))
        return &folder;
    for (MailFolder* child : folder.folders()) {
        if (MailFolder* found = firstSentFolder(*child))
            return found;
    }
    return nullptr;
}

class DiskStore : public MailStore {
public:
    DiskStore(std::filesystem::path location, std::unique_ptr<mailstore::StoreFolder> root)
        : m_location(std::move(location)), m_root(std::move(root))
    {
    }

    MailFolder& root() override { return *m_root; }

    // Depth-first, root first, children in their sorted order.
    MailFolder& defaultFolder() override
    {
        if (!m_default) {
            MailFolder* sent = firstSentFolder(*m_root);
            m_default = sent ? sent : m_root.get();
        }
        return *m_default;
    }

    std::string currentUser() const override { return accountDisplayName(); }
    std::string location() const override { return m_location.string(); }

private:
    std::filesystem::path m_location;
    std::unique_ptr<mailstore::StoreFolder> m_root;
    MailFolder* m_default = nullptr;
};

} // namespace

bool isSentFolderName(const std::string& name)
{
    static const char* const names[] = {"Sent Items", "Sent", "Sent Messages", "Sent Mail",
                                        "sent_items", "sent_mail", "_sent_mail"};
    for (const char* candidate : names) {
        if (::strcasecmp(name.c_str(), candidate) == 0)
            return true;
    }
    return false;
}

std::unique_ptr<MailStore> openMailStore(const std::filesystem::path& path, const TimeZone& zone)
{
    mailstore::ensureGMime();
    if (pst::isOutlookDataFile(path))
        return pst::openPstStore(path, zone);
    std::unique_ptr<mailstore::StoreFolder> root = mailstore::openRootFolder(path, zone);
    if (!root)
        throw StoreError("not a mail store: " + path.string());
    return std::make_unique<DiskStore>(path, std::move(root));
}

std::unique_ptr<MailStore> openMailStore(const std::string& location, Prompts& prompts, const TimeZone& zone)
{
    if (imap::isImapUrl(location)) {
        imap::ImapOptions options;
        options.zone = zone;
        return imap::openImapStore(location, prompts, options);
    }
    return openMailStore(std::filesystem::path(location), zone);
}

} // namespace brisk
