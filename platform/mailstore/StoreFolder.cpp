#include "platform/mailstore/StoreFolder.h"

#include "platform/mailstore/FolderScan.h"
#include "platform/mailstore/HeaderScan.h"
#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/MessageItem.h"

#include <algorithm>

namespace brisk::mailstore {

StoreFolder::StoreFolder(std::string name, StoreFolder* parent, FolderSource source, TimeZone zone)
    : m_name(std::move(name)), m_parent(parent), m_source(std::move(source)),
      m_zone(parent ? parent->m_zone : std::move(zone)),
      m_entered(parent ? parent->m_entered : std::make_shared<std::set<DirectoryId>>())
{
}

std::string StoreFolder::path() const
{
    if (!m_parent)
        return {};
    const std::string above = m_parent->path();
    return above.empty() ? m_name : above + "/" + m_name;
}

void StoreFolder::loadItems()
{
    if (m_itemsLoaded)
        return;
    switch (m_source.kind) {
    case FolderKind::Directory:
        m_files = isMaildir(m_source.location) ? maildirMessages(m_source.location) : emlMessages(m_source.location);
        break;
    case FolderKind::MaildirPlus:
        m_files = maildirMessages(m_source.location);
        break;
    case FolderKind::Mbox:
        m_mbox = indexMboxFile(m_source.location);
        break;
    case FolderKind::Virtual:
        break;
    }
    m_itemsLoaded = true;
}

void StoreFolder::forgetItems()
{
    m_files = FileList();
    std::vector<MboxMessage>().swap(m_mbox);
    m_itemsLoaded = false;
}

long StoreFolder::itemCount()
{
    loadItems();
    return static_cast<long>(m_source.kind == FolderKind::Mbox ? m_mbox.size() : m_files.size());
}

std::unique_ptr<MailItem> StoreFolder::item(long index)
{
    const long count = itemCount();
    if (index < 1 || index > count)
        throw StoreError("no item " + std::to_string(index) + " in folder \"" + m_name + "\" of "
                         + std::to_string(count) + " items");
    const auto at = static_cast<size_t>(index - 1);
    if (m_source.kind != FolderKind::Mbox)
        return std::make_unique<MessageItem>(ItemLocation{m_files.path(at), 0, std::nullopt, false}, m_zone);
    return std::make_unique<MessageItem>(
        ItemLocation{m_source.location, m_mbox[at].offset, m_mbox[at].length, m_mbox[at].quoted}, m_zone);
}

void StoreFolder::scanThreadHeaders(const ThreadHeaderSink& sink)
{
    scanThreadHeaders(sink, nullptr);
}

void StoreFolder::scanThreadHeaders(const ThreadHeaderSink& sink, const std::atomic<bool>* stop)
{
    ensureGMime();
    ThreadHeaderReader reader(m_zone);
    switch (m_source.kind) {
    case FolderKind::Directory:
    case FolderKind::MaildirPlus:
        // Listed afresh, names never kept: the walk holds its own listing.
        reader.scanDirectory(m_source.location, m_source.kind == FolderKind::MaildirPlus, sink, stop);
        return;
    case FolderKind::Mbox:
        break;
    case FolderKind::Virtual:
        return;
    }
    // An unreadable mbox file has no id to index; the walk reports it when
    // it reaches it.
    itemCount();
    try {
        const ReadOnlyFile file(m_source.location);
        for (std::size_t i = 0; i < m_mbox.size() && !(stop && stop->load(std::memory_order_relaxed)); ++i) {
            const ThreadHeaders headers = reader.read(file.fd(), m_mbox[i].offset, m_mbox[i].length);
            if (!headers.messageId.empty())
                sink(headers.messageId, headers.receivedTime);
        }
    } catch (const StoreError&) {
    }
}

namespace {

// The thread headers of a whole tree, read beside the walk: the tree is a
// private copy over the same files, listed afresh on the scan's thread, so
// nothing is shared with the folder objects the walk reads.
class TreeHeaderScan : public ThreadHeaderScan {
public:
    explicit TreeHeaderScan(std::unique_ptr<StoreFolder> root) : m_root(std::move(root)) {}

    void run(const MailFolder::ThreadHeaderSink& sink, const std::atomic<bool>& stop) override
    {
        scanTree(*m_root, sink, stop);
    }

private:
    // As ThreadIndex::build goes: every folder, trash included; an error
    // ends only the folder it concerns.
    static void scanTree(StoreFolder& folder, const MailFolder::ThreadHeaderSink& sink, const std::atomic<bool>& stop)
    {
        try {
            folder.scanThreadHeaders(sink, &stop);
        } catch (const std::exception&) {
        }
        folder.forgetItems(); // an mbox's offsets: keep one folder's at a time
        const std::vector<MailFolder*>* children = nullptr;
        try {
            children = &folder.folders();
        } catch (const std::exception&) {
            return;
        }
        for (MailFolder* child : *children)
            if (!stop.load(std::memory_order_relaxed))
                scanTree(static_cast<StoreFolder&>(*child), sink, stop);
    }

    std::unique_ptr<StoreFolder> m_root;
};

} // namespace

std::unique_ptr<ThreadHeaderScan> StoreFolder::threadHeaderScan()
{
    if (m_source.kind == FolderKind::MaildirPlus || m_source.kind == FolderKind::Virtual)
        return nullptr;
    ensureGMime(); // once, here, before two threads may want it
    return std::make_unique<TreeHeaderScan>(std::make_unique<StoreFolder>(m_name, nullptr, m_source, m_zone));
}

StoreFolder& StoreFolder::addChild(std::string name, FolderSource source)
{
    m_children.push_back(std::make_unique<StoreFolder>(std::move(name), this, std::move(source)));
    return *m_children.back();
}

void StoreFolder::loadChildren()
{
    if (m_childrenLoaded)
        return;
    if (!m_source.childDir.empty() && m_entered->insert(directoryId(m_source.childDir)).second)
        addSubfolders(*this, m_source.childDir);
    // Byte order of the names, as the store lists them.
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const auto& a, const auto& b) { return a->name() < b->name(); });
    m_view.clear();
    for (const auto& child : m_children)
        m_view.push_back(child.get());
    m_childrenLoaded = true;
}

const std::vector<MailFolder*>& StoreFolder::folders()
{
    loadChildren();
    return m_view;
}

bool StoreFolder::isTrash() const
{
    if (m_name != "Trash" || !m_parent)
        return false;
    switch (m_source.kind) {
    case FolderKind::MaildirPlus:
    case FolderKind::Virtual:
        // Maildir++ keeps deleted mail in the root's ".Trash" (Courier,
        // Dovecot); ".Archive.Trash" is a user's folder of that name.
        return m_source.location.filename() == ".Trash";
    case FolderKind::Mbox:
        // Thunderbird's account folder holds "Trash" beside "Inbox" and
        // "Sent"; a "Trash" inside another folder's .sbd is the user's own.
        return m_parent->m_source.kind == FolderKind::Directory;
    case FolderKind::Directory:
        return false;
    }
    return false;
}

std::unique_ptr<StoreFolder> openRootFolder(const std::filesystem::path& path, const TimeZone& zone)
{
    std::filesystem::path clean = path.lexically_normal();
    if (!clean.has_filename() && clean.has_parent_path() && clean != clean.root_path())
        clean = clean.parent_path();
    const std::string name = clean.filename().empty() ? clean.string() : clean.filename().string();
    // The path the user named may be a link: that one link is followed, as
    // asked; inside the store none is. A missing path keeps its own name so
    // that the error says what was asked for.
    std::error_code ec;
    if (auto real = std::filesystem::canonical(clean, ec); !ec)
        clean = real;
    if (isDirectory(clean)) {
        listDirectory(clean); // reports an unreadable directory as such
        if (!holdsMail(clean, 4))
            return nullptr;
        return std::make_unique<StoreFolder>(name, nullptr, FolderSource{FolderKind::Directory, clean, clean}, zone);
    }
    ReadOnlyFile file(clean); // reports a missing, unreadable or special file
    if (!isMboxFile(clean, false))
        return nullptr;
    std::filesystem::path sbd = clean;
    sbd += ".sbd";
    return std::make_unique<StoreFolder>(name, nullptr,
                                         FolderSource{FolderKind::Mbox, clean, isDirectory(sbd) ? sbd : std::filesystem::path()}, zone);
}

} // namespace brisk::mailstore
