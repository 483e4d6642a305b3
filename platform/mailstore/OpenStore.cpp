#include "platform/mailstore/OpenStore.h"

#include "platform/imap/ImapStore.h"
#include "platform/imap/ImapUrl.h"
#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/StoreFolder.h"
#include "platform/pst/PstStore.h"

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
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

std::string accountDisplayName()
{
    std::vector<char> buffer(16384);
    passwd record {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &record, buffer.data(), buffer.size(), &found) == 0 && found) {
        // The GECOS field: "Full Name,Room,Work phone,Home phone,Other".
        std::string gecos = found->pw_gecos ? found->pw_gecos : "";
        gecos = gecos.substr(0, gecos.find(','));
        if (!gecos.empty())
            return gecos;
        if (found->pw_name && *found->pw_name)
            return found->pw_name;
    }
    const char* user = std::getenv("USER");
    return user && *user ? user : std::to_string(::getuid());
}

std::unique_ptr<MailStore> openMailStore(const std::filesystem::path& path)
{
    mailstore::ensureGMime();
    if (pst::isOutlookDataFile(path))
        return pst::openPstStore(path);
    std::unique_ptr<mailstore::StoreFolder> root = mailstore::openRootFolder(path);
    if (!root)
        throw StoreError("not a mail store: " + path.string());
    return std::make_unique<DiskStore>(path, std::move(root));
}

std::unique_ptr<MailStore> openMailStore(const std::string& location, Prompts& prompts)
{
    if (imap::isImapUrl(location))
        return imap::openImapStore(location, prompts);
    return openMailStore(std::filesystem::path(location));
}

} // namespace brisk
