#include "tests/platform/workbook_support.h"

#include "tests/support/OfficeTools.h"
#include "tests/support/TestSupport.h"

#include <pugixml.hpp>
#include <zip.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace brisk::test {

std::filesystem::path resultsTemplatePath()
{
    return buildDir() / "app" / "%%BRISK Vezoriv Analysis Template%%.xlsm";
}

std::map<std::string, ReadBack> readWithOpenpyxl(const std::filesystem::path& file,
                                                 const std::vector<std::string>& queries)
{
    std::map<std::string, ReadBack> results;
    for (const auto& [query, v] : readWorkbook(file, queries))
        results[query] = {query.starts_with("cell:") ? v.type : query.substr(0, query.find(':')), v.dataType,
                          v.text, v.numberFormat};
    return results;
}

std::map<std::string, RawEntry> zipEntries(const std::filesystem::path& file)
{
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, &code);
    if (!archive)
        throw std::runtime_error("cannot open zip " + file.string());
    std::map<std::string, RawEntry> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        RawEntry entry;
        entry.crc = stat.crc;
        entry.method = stat.comp_method;
        entry.compressed.resize(stat.comp_size);
        entry.data.resize(stat.size);
        zip_file_t* raw = zip_fopen_index(archive, i, ZIP_FL_COMPRESSED);
        zip_file_t* inflated = zip_fopen_index(archive, i, 0);
        const bool ok = raw && inflated &&
                        zip_fread(raw, entry.compressed.data(), stat.comp_size) ==
                            static_cast<zip_int64_t>(stat.comp_size) &&
                        zip_fread(inflated, entry.data.data(), stat.size) == static_cast<zip_int64_t>(stat.size);
        if (raw)
            zip_fclose(raw);
        if (inflated)
            zip_fclose(inflated);
        if (!ok) {
            zip_discard(archive);
            throw std::runtime_error("cannot read entry " + std::string(stat.name) + " of " + file.string());
        }
        entries[stat.name] = std::move(entry);
    }
    zip_discard(archive);
    return entries;
}

std::string styleAttribute(const std::string& sheetXml, const std::string& cell)
{
    pugi::xml_document doc;
    doc.load_string(sheetXml.c_str());
    const std::string query = "//*[local-name()='c'][@r='" + cell + "']";
    return doc.select_node(query.c_str()).node().attribute("s").value();
}

} // namespace brisk::test
