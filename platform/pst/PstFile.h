#pragma once
// An open Outlook data file (PST or OST), shared by the store, its folders
// and its items so that no libpff handle outlives the file it came from.

#include "dates/TimeZone.h"
#include "platform/pst/PffSupport.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace brisk::pst {

class PstFile {
public:
    // Opens read-only. Throws StoreError "cannot read PATH: reason" when
    // libpff refuses the file (bad signature, checksum, truncated header).
    // Received times are given in `zone`.
    PstFile(const std::filesystem::path& path, TimeZone zone);
    ~PstFile();
    PstFile(const PstFile&) = delete;
    PstFile& operator=(const PstFile&) = delete;

    libpff_file_t* handle() const { return m_file; }
    const std::string& path() const { return m_path; }

    // Node ids of the folders the message store marks (PST entry ids only).
    std::optional<std::uint32_t> subtreeId, sentId, trashId;
    const TimeZone zone;

private:
    void readStoreMarkers();

    std::string m_path;
    libpff_file_t* m_file = nullptr;
};

} // namespace brisk::pst
