#include "tests/platform/workbook_support.h"

#include "tests/support/TestSupport.h"

#include <pugixml.hpp>
#include <zip.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace brisk::test {
namespace {

// Prints one tab-separated line per query, texts hex-encoded as UTF-8 so that
// any character survives the trip.
constexpr const char* kReader = R"(import sys
try:
    import openpyxl
except ImportError:
    print("python3-openpyxl is missing: run scripts/install-deps", file=sys.stderr)
    sys.exit(3)
h = lambda s: str(s).encode("utf-8").hex()
wb = openpyxl.load_workbook(sys.argv[1])
for q in sys.argv[2:]:
    kind, _, arg = q.partition(":")
    if kind == "cell":
        sheet, addr = arg.split("!")
        c = wb[sheet][addr]
        v = "" if c.value is None else c.value
        print(q, type(c.value).__name__, c.data_type, h(v), h(c.number_format), sep="\t")
    elif kind == "name":
        d = wb.defined_names.get(arg)
        print(q, "name", "", h(d.attr_text if d is not None else ""), "", sep="\t")
    elif kind == "sheets":
        print(q, "sheets", "", h(",".join(wb.sheetnames)), "", sep="\t")
)";

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    while (fields.size() < 5)
        fields.emplace_back();
    return fields;
}

} // namespace

std::filesystem::path resultsTemplatePath()
{
    return buildDir() / "app" / "%%BRISK Vezoriv Analysis Template%%.xlsm";
}

std::map<std::string, ReadBack> readWithOpenpyxl(const std::filesystem::path& file,
                                                 const std::vector<std::string>& queries)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        throw std::runtime_error("/usr/bin/python3 is missing: run scripts/install-deps");
    std::vector<std::string> args{file.string()};
    args.insert(args.end(), queries.begin(), queries.end());
    std::string output;
    try {
        output = runPython(kReader, args);
    } catch (const std::exception& e) {
        throw std::runtime_error("openpyxl could not read " + file.string() + ": " + e.what());
    }
    std::map<std::string, ReadBack> results;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const auto f = splitTabs(line);
        results[f[0]] = {f[1], f[2], fromHex(f[3]), fromHex(f[4])};
    }
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
