#include "platform/pst/PstStore.h"

#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/OpenStore.h"
#include "platform/pst/PstFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

namespace brisk::pst {
namespace {

PstFolder* firstFolderWhere(PstFolder& folder, const std::function<bool(PstFolder&)>& match)
{
    if (match(folder))
        return &folder;
    const std::vector<MailFolder*>* children = nullptr;
    try {
        children = &folder.folders();
    } catch (const StoreError&) {
        return nullptr; // the walk reports the unreadable subfolders
    }
    for (MailFolder* child : *children) {
        if (PstFolder* found = firstFolderWhere(static_cast<PstFolder&>(*child), match))
            return found;
    }
    return nullptr;
}

ItemPtr folderByNodeId(PstFile& file, std::optional<std::uint32_t> nodeId)
{
    if (!nodeId)
        return nullptr;
    PffError error;
    libpff_item_t* item = nullptr;
    if (libpff_file_get_item_by_identifier(file.handle(), *nodeId, &item, error.out()) != 1)
        return nullptr;
    ItemPtr owned(item);
    std::uint8_t type = 0;
    if (libpff_item_get_type(owned.get(), &type, error.out()) != 1 || type != LIBPFF_ITEM_TYPE_FOLDER)
        return nullptr;
    return owned;
}

// An OST keeps the mailbox under "Root - Mailbox/IPM_SUBTREE" and marks it
// with an Exchange entry id that names no node; look it up by those names.
ItemPtr subFolderByName(libpff_item_t* folder, const std::string& name)
{
    PffError error;
    int count = 0;
    if (libpff_folder_get_number_of_sub_folders(folder, &count, error.out()) != 1)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        libpff_item_t* child = nullptr;
        if (libpff_folder_get_sub_folder(folder, i, &child, error.out()) != 1)
            continue;
        ItemPtr owned(child);
        if (stringProperty(owned.get(), PidDisplayName) == name)
            return owned;
    }
    return nullptr;
}

std::unique_ptr<PstFolder> openRoot(const std::shared_ptr<PstFile>& file)
{
    PffError error;
    libpff_item_t* raw = nullptr;
    // libpff opens some damaged files and then finds no root folder.
    if (libpff_file_get_root_folder(file->handle(), &raw, error.out()) != 1)
        throw StoreError("cannot read " + file->path() + ": the file has no folder tree (damaged or truncated?)");
    ItemPtr root(raw);
    ItemPtr top = folderByNodeId(*file, file->subtreeId);
    if (!top) {
        if (ItemPtr mailbox = subFolderByName(root.get(), "Root - Mailbox"))
            top = subFolderByName(mailbox.get(), "IPM_SUBTREE");
    }
    return std::make_unique<PstFolder>(file, top ? std::move(top) : std::move(root), nullptr);
}

class PstStore : public MailStore {
public:
    PstStore(std::filesystem::path location, std::shared_ptr<PstFile> file)
        : m_location(std::move(location)), m_file(std::move(file)), m_root(openRoot(m_file))
    {
    }

    MailFolder& root() override { return *m_root; }

    // The folder the store marks as Sent Items, else the first folder with a
    // sent-mail name, depth-first, else the top folder.
    MailFolder& defaultFolder() override
    {
        if (!m_default) {
            const auto sentId = m_file->sentId;
            PstFolder* sent = sentId ? firstFolderWhere(*m_root, [&](PstFolder& f) { return f.nodeId() == sentId; }) : nullptr;
            if (!sent)
                sent = firstFolderWhere(*m_root, [](PstFolder& f) { return isSentFolderName(f.name()); });
            m_default = sent ? sent : m_root.get();
        }
        return *m_default;
    }

    std::string currentUser() const override { return accountDisplayName(); }
    std::string location() const override { return m_location.string(); }

private:
    std::filesystem::path m_location;
    std::shared_ptr<PstFile> m_file;
    std::unique_ptr<PstFolder> m_root;
    MailFolder* m_default = nullptr;
};

} // namespace

bool isOutlookDataFile(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const std::string name = path.filename().string();
    if (mailstore::hasSuffixIgnoringCase(name, ".pst") || mailstore::hasSuffixIgnoringCase(name, ".ost"))
        return true;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    char signature[4] = {};
    const bool match = ::read(fd, signature, 4) == 4 && std::memcmp(signature, "!BDN", 4) == 0;
    ::close(fd);
    return match;
}

std::unique_ptr<MailStore> openPstStore(const std::filesystem::path& path, const TimeZone& zone)
{
    // Find a missing or unreadable file with the system's own reason.
    mailstore::ReadOnlyFile probe(path);
    return std::make_unique<PstStore>(path, std::make_shared<PstFile>(path, zone));
}

} // namespace brisk::pst
