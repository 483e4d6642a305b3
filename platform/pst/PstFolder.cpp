#include "platform/pst/PstFolder.h"

#include "platform/pst/PstItem.h"

namespace brisk::pst {
namespace {

std::string folderName(libpff_item_t* folder)
{
    PffError error;
    std::size_t size = 0;
    if (libpff_folder_get_utf8_name_size(folder, &size, error.out()) == 1 && size > 1) {
        std::string name(size, '\0');
        if (libpff_folder_get_utf8_name(folder, reinterpret_cast<std::uint8_t*>(name.data()), size, error.out()) == 1) {
            name.resize(name.find('\0'));
            return name;
        }
    }
    return stringProperty(folder, PidDisplayName).value_or(std::string());
}

} // namespace

PstFolder::PstFolder(std::shared_ptr<PstFile> file, ItemPtr folder, PstFolder* parent)
    : m_file(std::move(file)), m_folder(std::move(folder)), m_parent(parent)
{
    m_name = folderName(m_folder.get());
    PffError error;
    std::uint32_t id = 0;
    if (libpff_item_get_identifier(m_folder.get(), &id, error.out()) == 1)
        m_nodeId = id;
}

PstFolder::PstFolder(std::shared_ptr<PstFile> file, std::string name, std::string error, PstFolder* parent)
    : m_file(std::move(file)), m_parent(parent), m_name(std::move(name)), m_error(std::move(error)),
      m_childrenLoaded(true)
{
}

std::string PstFolder::path() const
{
    if (!m_parent)
        return {};
    const std::string above = m_parent->path();
    return above.empty() ? m_name : above + "/" + m_name;
}

std::string PstFolder::describe() const
{
    return "folder \"" + m_name + "\" of " + m_file->path();
}

long PstFolder::itemCount()
{
    if (!m_folder)
        throw StoreError("cannot read " + describe() + ": " + m_error);
    PffError error;
    int count = 0;
    if (libpff_folder_get_number_of_sub_messages(m_folder.get(), &count, error.out()) != 1)
        throw StoreError("cannot read the items of " + describe() + ": " + error.text());
    return count;
}

std::unique_ptr<MailItem> PstFolder::item(long index)
{
    const std::string where = "item " + std::to_string(index) + " of " + describe();
    if (!m_folder || index < 1 || index > itemCount())
        throw StoreError("no " + where);
    PffError error;
    libpff_item_t* message = nullptr;
    if (libpff_folder_get_sub_message(m_folder.get(), static_cast<int>(index - 1), &message, error.out()) != 1)
        throw StoreError("cannot read " + where + ": " + error.text());
    return std::make_unique<PstItem>(m_file, ItemPtr(message), where);
}

const std::vector<MailFolder*>& PstFolder::folders()
{
    if (!m_childrenLoaded)
        loadChildren();
    return m_view;
}

// A subfolder that cannot be read stays in the tree as an empty folder whose
// item count reports the failure, so the walk tells the user and goes on.
void PstFolder::loadChildren()
{
    m_childrenLoaded = true;
    PffError error;
    int count = 0;
    if (libpff_folder_get_number_of_sub_folders(m_folder.get(), &count, error.out()) != 1)
        throw StoreError("cannot read the subfolders of " + describe() + ": " + error.text());
    for (int i = 0; i < count; ++i) {
        PffError childError;
        libpff_item_t* child = nullptr;
        if (libpff_folder_get_sub_folder(m_folder.get(), i, &child, childError.out()) == 1)
            m_children.push_back(std::make_unique<PstFolder>(m_file, ItemPtr(child), this));
        else
            m_children.push_back(std::make_unique<PstFolder>(
                m_file, "(unreadable folder " + std::to_string(i + 1) + ")", childError.text(), this));
        m_view.push_back(m_children.back().get());
    }
}

bool PstFolder::isTrash() const
{
    return m_nodeId && m_file->trashId && *m_nodeId == *m_file->trashId;
}

} // namespace brisk::pst
