#include "platform/workbook/ZipPackage.h"

#include "platform/workbook/Workbook.h"

#include <zip.h>

namespace brisk::workbook {
namespace {

constexpr zip_uint64_t kMaxPartSize = 64 << 20;

std::string zipMessage(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

} // namespace

ZipPackage::ZipPackage(std::string bytes, const std::filesystem::path& file)
    : m_bytes(std::move(bytes)), m_file(file)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes.data(), m_bytes.size(), 0, &error);
    if (source)
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_zip) {
        const std::string reason = zip_error_strerror(&error);
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        throw WorkbookError("not a workbook package: " + m_file.string() + " (" + reason + ")");
    }
    zip_error_fini(&error);
}

ZipPackage::~ZipPackage()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipPackage::has(std::string_view part) const
{
    return zip_name_locate(m_zip, std::string(part).c_str(), ZIP_FL_NOCASE) >= 0;
}

std::string ZipPackage::read(std::string_view part) const
{
    const std::string name(part);
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        throw WorkbookError("broken workbook package " + m_file.string() + ": part " + name + " is missing");
    // The size comes from the package itself: a part claiming more than any
    // workbook part needs is refused before anything is allocated for it.
    if (stat.size > kMaxPartSize)
        throw WorkbookError("broken workbook package " + m_file.string() + ": part " + name + " claims "
                            + std::to_string(stat.size) + " bytes");
    zip_file_t* entry = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    std::string content(stat.size, '\0');
    const zip_int64_t got = entry ? zip_fread(entry, content.data(), content.size()) : -1;
    if (entry)
        zip_fclose(entry);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size)
        throw WorkbookError("broken workbook package " + m_file.string() + ": cannot read part " + name);
    return content;
}

void applyEdits(const std::filesystem::path& file, const PackageEdits& edits)
{
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), 0, &code);
    if (!archive)
        throw WorkbookError("cannot write " + file.string() + ": " + zipMessage(code));
    const auto fail = [&](const std::string& what) {
        const std::string reason = zip_strerror(archive);
        zip_discard(archive);
        throw WorkbookError("cannot write " + file.string() + ": " + what + ": " + reason);
    };
    // The buffers stay alive in `edits` until zip_close has read them.
    for (const auto& [part, content] : edits.replaced) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (!source)
            fail(part);
        const zip_int64_t index = zip_name_locate(archive, part.c_str(), ZIP_FL_NOCASE);
        const bool ok = index >= 0
            ? zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, 0) == 0
            : zip_file_add(archive, part.c_str(), source, ZIP_FL_ENC_UTF_8) >= 0;
        if (!ok) {
            zip_source_free(source);
            fail(part);
        }
    }
    for (const auto& part : edits.removed) {
        const zip_int64_t index = zip_name_locate(archive, part.c_str(), ZIP_FL_NOCASE);
        if (index >= 0 && zip_delete(archive, static_cast<zip_uint64_t>(index)) != 0)
            fail(part);
    }
    if (zip_close(archive) != 0)
        fail("closing");
}

} // namespace brisk::workbook
