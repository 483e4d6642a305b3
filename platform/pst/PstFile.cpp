#include "platform/pst/PstFile.h"

#include "engine/MailStore.h"

namespace brisk::pst {

PstFile::PstFile(const std::filesystem::path& path, TimeZone zone) : zone(std::move(zone)), m_path(path.string())
{
    PffError error;
    if (libpff_file_initialize(&m_file, error.out()) != 1)
        throw StoreError("cannot read " + m_path + ": " + error.text());
    // A PST password only guards the mail client's dialog; libpff reads
    // such files without it, and every encryption (none, compressible, high).
    if (libpff_file_open(m_file, m_path.c_str(), LIBPFF_OPEN_READ, error.out()) != 1) {
        libpff_file_free(&m_file, nullptr);
        throw StoreError("cannot read " + m_path + ": not a readable Outlook data file (" + error.text() + ")");
    }
    // FIXME: an ANSI (97-2002) file names no code page of its own, so its
    // strings are read as windows-1252 (libpff's default); a file written
    // under another one (windows-932) shows garbled names.
    readStoreMarkers();
}

PstFile::~PstFile()
{
    libpff_file_close(m_file, nullptr);
    libpff_file_free(&m_file, nullptr);
}

// The message store's entry ids of the IPM subtree, Sent Items and Deleted
// Items (PidTagIpmSubtreeEntryId and friends, MS-OXPROPS).
void PstFile::readStoreMarkers()
{
    PffError error;
    libpff_item_t* raw = nullptr;
    if (libpff_file_get_message_store(m_file, &raw, error.out()) != 1)
        return;
    const ItemPtr store(raw);
    const auto nodeOf = [&](std::uint32_t id) -> std::optional<std::uint32_t> {
        const std::optional<std::string> entryId = binaryProperty(store.get(), id);
        return entryId ? nodeIdOfEntryId(*entryId) : std::nullopt;
    };
    subtreeId = nodeOf(PidIpmSubtreeEntryId);
    sentId = nodeOf(PidIpmSentMailEntryId);
    trashId = nodeOf(PidIpmWastebasketEntryId);
}

} // namespace brisk::pst
