#pragma once
// A folder of an Outlook data file: its items are the folder's messages in
// the store's order, its subfolders the store's own, with their own names.
// Subfolders are read on first use; items are read one at a time.

#include "engine/MailStore.h"
#include "platform/pst/PstFile.h"

#include <memory>
#include <string>
#include <vector>

namespace brisk::pst {

class PstFolder : public MailFolder {
public:
    PstFolder(std::shared_ptr<PstFile> file, ItemPtr folder, PstFolder* parent);
    // A subfolder libpff could not read: no items, itemCount() reports why.
    PstFolder(std::shared_ptr<PstFile> file, std::string name, std::string error, PstFolder* parent);

    const std::string& name() const override { return m_name; }
    std::string path() const override;
    MailFolder* parent() const override { return m_parent; }
    long itemCount() override;
    std::unique_ptr<MailItem> item(long index) override;
    const std::vector<MailFolder*>& folders() override;
    bool isTrash() const override;

    std::optional<std::uint32_t> nodeId() const { return m_nodeId; }

private:
    void loadChildren();
    std::string describe() const;

    std::shared_ptr<PstFile> m_file;
    ItemPtr m_folder;
    PstFolder* m_parent;
    std::string m_name;
    std::string m_error;
    std::optional<std::uint32_t> m_nodeId;
    bool m_childrenLoaded = false;
    std::vector<std::unique_ptr<PstFolder>> m_children;
    std::vector<MailFolder*> m_view;
};

} // namespace brisk::pst
