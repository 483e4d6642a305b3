#include "platform/workbook/ZipPackage.h"

#include "platform/system/LoadedLibrary.h"
#include "platform/workbook/Workbook.h"

#include <zip.h>

namespace brisk::workbook {
namespace {

constexpr zip_uint64_t kMaxPartSize = 64 << 20;

// libzip is loaded when a workbook is first read or written, not when the
// program starts (LoadedLibrary.h): with the compression and crypto
// libraries it brings it took 5 ms of every start.
#define BRISK_ZIP_FUNCTIONS(X) \
    X(zip_error_init_with_code) \
    X(zip_error_strerror) \
    X(zip_error_fini) \
    X(zip_error_init) \
    X(zip_source_buffer_create) \
    X(zip_open_from_source) \
    X(zip_source_free) \
    X(zip_discard) \
    X(zip_name_locate) \
    X(zip_stat_index) \
    X(zip_fopen_index) \
    X(zip_fread) \
    X(zip_fclose) \
    X(zip_open) \
    X(zip_strerror) \
    X(zip_source_buffer) \
    X(zip_file_replace) \
    X(zip_file_add) \
    X(zip_delete) \
    X(zip_close)

struct ZipApi {
#define BRISK_ZIP_POINTER(name) decltype(&::name) name = nullptr;
    BRISK_ZIP_FUNCTIONS(BRISK_ZIP_POINTER)
#undef BRISK_ZIP_POINTER
    std::string missing; // why it could not be loaded
};

ZipApi loadZip()
{
    ZipApi api;
    LoadedLibrary library(BRISK_ZIP_LIBRARY);
#define BRISK_ZIP_FIND(name) library.find(#name, api.name) &&
    if (!(BRISK_ZIP_FUNCTIONS(BRISK_ZIP_FIND) true))
        api.missing = library.missing();
#undef BRISK_ZIP_FIND
    return api;
}
#undef BRISK_ZIP_FUNCTIONS

// Loaded once, on whichever thread asks first.
const ZipApi& zip()
{
    static const ZipApi api = loadZip();
    if (!api.missing.empty())
        throw WorkbookError("cannot read or write workbooks without libzip: " + api.missing);
    return api;
}

std::string zipMessage(int code)
{
    zip_error_t error;
    zip().zip_error_init_with_code(&error, code);
    std::string text = zip().zip_error_strerror(&error);
    zip().zip_error_fini(&error);
    return text;
}

} // namespace

ZipPackage::ZipPackage(std::string bytes, const std::filesystem::path& file)
    : m_bytes(std::move(bytes)), m_file(file)
{
    zip_error_t error;
    zip().zip_error_init(&error);
    zip_source_t* source = zip().zip_source_buffer_create(m_bytes.data(), m_bytes.size(), 0, &error);
    if (source)
        m_zip = zip().zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_zip) {
        const std::string reason = zip().zip_error_strerror(&error);
        if (source)
            zip().zip_source_free(source);
        zip().zip_error_fini(&error);
        throw WorkbookError("not a workbook package: " + m_file.string() + " (" + reason + ")");
    }
    zip().zip_error_fini(&error);
}

ZipPackage::~ZipPackage()
{
    if (m_zip)
        zip().zip_discard(m_zip);
}

bool ZipPackage::has(std::string_view part) const
{
    return zip().zip_name_locate(m_zip, std::string(part).c_str(), ZIP_FL_NOCASE) >= 0;
}

std::string ZipPackage::read(std::string_view part) const
{
    const std::string name(part);
    const zip_int64_t index = zip().zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    zip_stat_t stat;
    if (index < 0 || zip().zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        throw WorkbookError("broken workbook package " + m_file.string() + ": part " + name + " is missing");
    // The size comes from the package itself: a part claiming more than any
    // workbook part needs is refused before anything is allocated for it.
    if (stat.size > kMaxPartSize)
        throw WorkbookError("broken workbook package " + m_file.string() + ": part " + name + " claims "
                            + std::to_string(stat.size) + " bytes");
    zip_file_t* entry = zip().zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    std::string content(stat.size, '\0');
    const zip_int64_t got = entry ? zip().zip_fread(entry, content.data(), content.size()) : -1;
    if (entry)
        zip().zip_fclose(entry);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size)
        throw WorkbookError("broken workbook package " + m_file.string() + ": cannot read part " + name);
    return content;
}

void applyEdits(const std::filesystem::path& file, const PackageEdits& edits)
{
    int code = 0;
    zip_t* archive = zip().zip_open(file.c_str(), 0, &code);
    if (!archive)
        throw WorkbookError("cannot write " + file.string() + ": " + zipMessage(code));
    const auto fail = [&](const std::string& what) {
        const std::string reason = zip().zip_strerror(archive);
        zip().zip_discard(archive);
        throw WorkbookError("cannot write " + file.string() + ": " + what + ": " + reason);
    };
    // The buffers stay alive in `edits` until zip_close has read them.
    for (const auto& [part, content] : edits.replaced) {
        zip_source_t* source = zip().zip_source_buffer(archive, content.data(), content.size(), 0);
        if (!source)
            fail(part);
        const zip_int64_t index = zip().zip_name_locate(archive, part.c_str(), ZIP_FL_NOCASE);
        const bool ok = index >= 0
            ? zip().zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, 0) == 0
            : zip().zip_file_add(archive, part.c_str(), source, ZIP_FL_ENC_UTF_8) >= 0;
        if (!ok) {
            zip().zip_source_free(source);
            fail(part);
        }
    }
    for (const auto& part : edits.removed) {
        const zip_int64_t index = zip().zip_name_locate(archive, part.c_str(), ZIP_FL_NOCASE);
        if (index >= 0 && zip().zip_delete(archive, static_cast<zip_uint64_t>(index)) != 0)
            fail(part);
    }
    if (zip().zip_close(archive) != 0)
        fail("closing");
}

} // namespace brisk::workbook
