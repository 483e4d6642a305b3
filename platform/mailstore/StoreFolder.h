#pragma once
// A folder of a mail store on disk. One class serves every kind, because
// kinds mix in one tree: a directory (a Maildir folder with cur/ and new/, a
// folder of .eml files, or a folder that only holds subfolders), an mbox file
// (with its Thunderbird-style Name.sbd/ subfolder directory) and a Maildir++
// folder (".Sent.Archive" in its root). Listings are read once and cached.

#include "dates/TimeZone.h"
#include "engine/MailStore.h"
#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/FileList.h"
#include "platform/mailstore/MboxIndex.h"

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace brisk::mailstore {

enum class FolderKind {
    Directory,  // items from cur/+new/ (Maildir) or *.eml; subfolders from entries
    Mbox,       // items from the mbox file; subfolders from `childDir` if any
    MaildirPlus, // items from cur/+new/; subfolders given by the Maildir++ root
    Virtual,    // no items: a Maildir++ level whose own directory is missing
};

struct FolderSource {
    FolderKind kind = FolderKind::Directory;
    std::filesystem::path location;  // the directory or the mbox file
    std::filesystem::path childDir;  // where subfolders live; empty for none
};

class StoreFolder : public MailFolder {
public:
    // A subfolder reads its items' times in its parent's zone; a root in `zone`.
    StoreFolder(std::string name, StoreFolder* parent, FolderSource source, TimeZone zone = TimeZone::utc());

    const std::string& name() const override { return m_name; }
    std::string path() const override;
    MailFolder* parent() const override { return m_parent; }
    long itemCount() override;
    std::unique_ptr<MailItem> item(long index) override;
    const std::vector<MailFolder*>& folders() override;
    bool isTrash() const override;
    void scanThreadHeaders(const ThreadHeaderSink& sink) override;
    // A scan over a private copy of this folder's tree (Maildir++ levels
    // have none of their own: their root lists their subfolders).
    std::unique_ptr<ThreadHeaderScan> threadHeaderScan() override;
    // The scan of this folder alone, ending early once `stop` is set.
    void scanThreadHeaders(const ThreadHeaderSink& sink, const std::atomic<bool>* stop);
    // Drops the listing of the items (read again on next use): the scan
    // job's copy of a folder is read once.
    void forgetItems();

    StoreFolder& addChild(std::string name, FolderSource source);

private:
    void loadItems();
    void loadChildren();

    std::string m_name;
    StoreFolder* m_parent;
    FolderSource m_source;
    TimeZone m_zone;
    bool m_itemsLoaded = false;
    FileList m_files;
    std::vector<MboxMessage> m_mbox;
    bool m_childrenLoaded = false;
    std::vector<std::unique_ptr<StoreFolder>> m_children;
    std::vector<MailFolder*> m_view;
    // Directories whose subfolders some folder of this store has listed,
    // shared by the whole tree: a directory reached a second time (a bind
    // mount, a followed link) adds no folders, so no walk can go round.
    std::shared_ptr<std::set<DirectoryId>> m_entered;
};

// The root folder of the store at `path`, or nullptr when it holds no mail.
// Throws StoreError when the path cannot be read.
std::unique_ptr<StoreFolder> openRootFolder(const std::filesystem::path& path, const TimeZone& zone);

} // namespace brisk::mailstore
