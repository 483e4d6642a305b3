#include "platform/pst/PffSupport.h"

#include <vector>

namespace brisk::pst {
namespace {

struct RecordSetFree {
    void operator()(libpff_record_set_t* set) const { libpff_record_set_free(&set, nullptr); }
};
struct RecordEntryFree {
    void operator()(libpff_record_entry_t* entry) const { libpff_record_entry_free(&entry, nullptr); }
};
using RecordEntryPtr = std::unique_ptr<libpff_record_entry_t, RecordEntryFree>;

// The entry `id` of record set `set`, any value type; null when absent or
// unreadable (a damaged property reads as a missing one).
RecordEntryPtr findEntry(libpff_item_t* item, std::uint32_t id, int set)
{
    PffError error;
    libpff_record_set_t* rawSet = nullptr;
    if (libpff_item_get_record_set_by_index(item, set, &rawSet, error.out()) != 1)
        return nullptr;
    const std::unique_ptr<libpff_record_set_t, RecordSetFree> recordSet(rawSet);
    libpff_record_entry_t* entry = nullptr;
    if (libpff_record_set_get_entry_by_type(recordSet.get(), id, 0, &entry,
                                            LIBPFF_ENTRY_VALUE_FLAG_MATCH_ANY_VALUE_TYPE, error.out())
        != 1)
        return nullptr;
    return RecordEntryPtr(entry);
}

} // namespace

PffError::~PffError()
{
    if (m_error)
        libpff_error_free(&m_error);
}

std::string PffError::text() const
{
    if (!m_error)
        return "unknown error";
    std::vector<char> buffer(4096);
    if (libpff_error_backtrace_sprint(m_error, buffer.data(), buffer.size()) <= 0)
        return "unknown error";
    // The backtrace lists the innermost cause first, one "function: text." a line.
    std::string line(buffer.data());
    line = line.substr(0, line.find('\n'));
    const auto colon = line.find(": ");
    if (colon != std::string::npos)
        line = line.substr(colon + 2);
    while (!line.empty() && (line.back() == '.' || line.back() == ' '))
        line.pop_back();
    return line.empty() ? "unknown error" : line;
}

void ItemFree::operator()(libpff_item_t* item) const
{
    libpff_item_free(&item, nullptr);
}

std::optional<std::string> stringProperty(libpff_item_t* item, std::uint32_t id, int set)
{
    const RecordEntryPtr entry = findEntry(item, id, set);
    PffError error;
    std::size_t size = 0;
    if (!entry || libpff_record_entry_get_data_as_utf8_string_size(entry.get(), &size, error.out()) != 1)
        return std::nullopt;
    if (size <= 1)
        return std::string();
    std::string text(size, '\0');
    if (libpff_record_entry_get_data_as_utf8_string(entry.get(), reinterpret_cast<std::uint8_t*>(text.data()),
                                                    size, error.out())
        != 1)
        return std::nullopt;
    text.resize(text.find('\0'));
    return text;
}

std::optional<std::uint32_t> int32Property(libpff_item_t* item, std::uint32_t id, int set)
{
    const RecordEntryPtr entry = findEntry(item, id, set);
    PffError error;
    std::uint32_t value = 0;
    if (!entry || libpff_record_entry_get_data_as_32bit_integer(entry.get(), &value, error.out()) != 1)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> filetimeProperty(libpff_item_t* item, std::uint32_t id, int set)
{
    const RecordEntryPtr entry = findEntry(item, id, set);
    PffError error;
    std::uint64_t value = 0;
    if (!entry || libpff_record_entry_get_data_as_filetime(entry.get(), &value, error.out()) != 1)
        return std::nullopt;
    return value;
}

std::optional<std::string> binaryProperty(libpff_item_t* item, std::uint32_t id, int set)
{
    const RecordEntryPtr entry = findEntry(item, id, set);
    PffError error;
    std::size_t size = 0;
    if (!entry || libpff_record_entry_get_data_size(entry.get(), &size, error.out()) != 1)
        return std::nullopt;
    std::string data(size, '\0');
    if (size > 0
        && libpff_record_entry_get_data(entry.get(), reinterpret_cast<std::uint8_t*>(data.data()), size,
                                        error.out())
            != 1)
        return std::nullopt;
    return data;
}

std::optional<std::uint32_t> nodeIdOfEntryId(const std::string& entryId)
{
    if (entryId.size() != 24)
        return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(entryId[i])); };
    return byte(20) | byte(21) << 8 | byte(22) << 16 | byte(23) << 24;
}

std::int64_t filetimeToUnix(std::uint64_t filetime)
{
    // 11644473600 seconds lie between 1601-01-01 and 1970-01-01.
    return static_cast<std::int64_t>(filetime / 10000000) - 11644473600LL;
}

} // namespace brisk::pst
