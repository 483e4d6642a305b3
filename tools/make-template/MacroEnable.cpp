#include "tools/make-template/MacroEnable.h"

#include <pugixml.hpp>
#include <zip.h>

#include <sstream>
#include <string_view>

namespace brisk::tmpl {
namespace {

constexpr const char* kTypesPart = "[Content_Types].xml";
constexpr const char* kMacroEnabledMain = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";

std::string readEntry(zip_t* archive, zip_int64_t index)
{
    zip_stat_t stat;
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        return {};
    std::string content(stat.size, '\0');
    zip_file_t* entry = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
    if (!entry)
        return {};
    const zip_int64_t got = zip_fread(entry, content.data(), content.size());
    zip_fclose(entry);
    return got == static_cast<zip_int64_t>(content.size()) ? content : std::string();
}

// Sets the workbook override's content type; false when there is none.
bool retype(pugi::xml_document& types)
{
    for (pugi::xml_node item : types.document_element().children("Override")) {
        if (std::string_view(item.attribute("PartName").value()) == "/xl/workbook.xml") {
            item.attribute("ContentType").set_value(kMacroEnabledMain);
            return true;
        }
    }
    return false;
}

} // namespace

std::string makeMacroEnabled(const std::string& file)
{
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), 0, &code);
    if (!archive)
        return "cannot open " + file;
    const zip_int64_t index = zip_name_locate(archive, kTypesPart, 0);
    pugi::xml_document types;
    const std::string original = index >= 0 ? readEntry(archive, index) : std::string();
    if (original.empty() || !types.load_string(original.c_str(), pugi::parse_default | pugi::parse_declaration) ||
        !retype(types)) {
        zip_discard(archive);
        return "no workbook override in " + std::string(kTypesPart);
    }
    std::ostringstream out;
    types.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string patched = out.str();
    zip_source_t* source = zip_source_buffer(archive, patched.data(), patched.size(), 0);
    if (!source || zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, 0) != 0) {
        if (source)
            zip_source_free(source);
        const std::string reason = zip_strerror(archive);
        zip_discard(archive);
        return "cannot replace " + std::string(kTypesPart) + ": " + reason;
    }
    if (zip_close(archive) != 0) {
        const std::string reason = zip_strerror(archive);
        zip_discard(archive);
        return "cannot write " + file + ": " + reason;
    }
    return {};
}

} // namespace brisk::tmpl
