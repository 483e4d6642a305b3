// What saving a workbook copy keeps, changes and refuses, seen in the zip
// package itself and read back by an independent reader (openpyxl); and the
// A1 addresses, cell texts and numbers, and part names it is built on; and
// the loading of libzip (and libcurl) when first needed.

#include "platform/system/LoadedLibrary.h"
#include "platform/workbook/CellAddress.h"
#include "platform/workbook/CellText.h"
#include "platform/workbook/PackageXml.h"
#include "platform/workbook/SafeFile.h"
#include "platform/workbook/Workbook.h"
#include "tests/support/OfficeTools.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <limits>
#include <set>

#include <sys/stat.h>

namespace brisk::test {
namespace {

using ::testing::HasSubstr, ::testing::ThrowsMessage;
using namespace workbook;

// libxlsxwriter writes the sheets in the order they were added.
constexpr const char* kSummaryPart = "xl/worksheets/sheet1.xml";
constexpr const char* kDetailedPart = "xl/worksheets/sheet2.xml";

std::filesystem::path resultsTemplatePath() { return buildDir() / "app" / "%%BRISK Vezoriv Analysis Template%%.xlsm"; }

struct RawEntry {
    std::string compressed, data; // the bytes stored in the file, and inflated (its CRC checked)
};

std::map<std::string, RawEntry> zipEntries(const std::filesystem::path& file)
{
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, nullptr);
    EXPECT_NE(archive, nullptr) << file;
    std::map<std::string, RawEntry> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        for (const zip_flags_t flags : {ZIP_FL_COMPRESSED, zip_flags_t(0)}) {
            std::string& out = flags ? entries[stat.name].compressed : entries[stat.name].data;
            out.resize(flags ? stat.comp_size : stat.size);
            zip_file_t* entry = zip_fopen_index(archive, i, flags);
            EXPECT_TRUE(entry && zip_fread(entry, out.data(), out.size()) == zip_int64_t(out.size())) << file;
            if (entry)
                zip_fclose(entry);
        }
    }
    zip_discard(archive);
    return entries;
}

// Copies the template to argv[2] with a calculation chain added as the
// spreadsheet application writes one: part, relationship and content type.
constexpr const char* kAddCalcChain = R"(import sys, zipfile
ns = "http://schemas.openxmlformats.org/"
add = {"xl/_rels/workbook.xml.rels": ("</Relationships>", '<Relationship Id="rId99" Type="' + ns
           + 'officeDocument/2006/relationships/calcChain" Target="calcChain.xml"/>'),
       "[Content_Types].xml": ("</Types>", '<Override PartName="/xl/calcChain.xml" ContentType="application/'
           'vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/>')}
with zipfile.ZipFile(sys.argv[1]) as a, zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as b:
    for entry in a.infolist():
        end, what = add.get(entry.filename, ("", ""))
        b.writestr(entry, a.read(entry).decode().replace(end, what + end) if end else a.read(entry))
    b.writestr("xl/calcChain.xml", '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><calcChain xmlns="'
               + ns + 'spreadsheetml/2006/main"><c r="C24" i="1"/></calcChain>')
)";

class WorkbookPackage : public ::testing::Test {
protected:
    static pugi::xml_document parse(const std::string& xml)
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(xml.c_str()));
        return doc;
    }

    TempDir dir;
    std::filesystem::path copy = dir / "copy.xlsm";
};

// Copies of a template that has a calculation chain: one without edits is
// the same file; in a filled one, unchanged entries are copied byte for
// byte, rows and cells stay in order, formulas recalculate on load, the
// chain is gone with its references, the copy gets the usual permissions and
// the opened file is never modified. Read back by openpyxl: numbers with the
// template's formats, texts that look like formulas kept as texts, characters
// XML cannot hold dropped, arrays cut to their range, cells outside the
// template inserted, labels by their defined names.
TEST_F(WorkbookPackage, AFilledCopyKeepsWhatItDoesNotChangeRecalculatesAndReadsBack)
{
    const auto source = dir / "with-chain.xlsm";
    runPython(kAddCalcChain, {resultsTemplatePath().string(), source.string()});
    const std::string sourceBytes = readFile(source);
    const auto sourceTime = std::filesystem::last_write_time(source);
    auto book = Workbook::open(source);
    book->saveCopyAs(dir / "unedited.xlsm");
    EXPECT_TRUE(readFile(dir / "unedited.xlsm") == sourceBytes) << "a copy without edits is the same file";
    Worksheet& detailed = book->sheet("DetailedResults");
    detailed.setRange("B3:B9", {3.0, 1.0, 0.0, 2.0, 5.0, 0.0, 1.0});
    detailed.setRange("c3:c9", {0.25, 1.0 / 3.0, 0.0, 0.1, 0.2, 0.0, 0.05});
    detailed.setCell("h4", std::string("no data"));
    detailed.setRange("B15:B24", {std::string("Zo\xc3\xab"), std::string("=1+1"), std::string("+SUM(A1:A2)")});
    detailed.setRange("$G$15:$G$24", {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0});
    detailed.setCell("E200", std::string("last"));
    for (const char* address : {"AD3", "A1", "J12", "E11", "B2", "C150"})
        detailed.setCell(address, 1.0);
    book->setLabel("OutputUsernameLabel", std::string("Anonymous"));
    book->setLabel("OutputUsernameLabel", std::string("  Line one\nLine\ttwo "));
    book->setLabel("OutputMailboxLabel", std::string("In\x01" "box\x0b" "\xef\xbf\xbe" "\xff" "!"));
    book->setLabel("OutputValidEmailsCountLabel", 12.0);
    const mode_t mask = ::umask(022);
    book->saveCopyAs(copy);
    ::umask(mask);
    book->close();

    const auto before = zipEntries(source), after = zipEntries(copy);
    std::set<std::string> changed; // what is gone, or stored with other bytes
    for (const auto& [name, was] : before)
        if (!after.count(name) || after.at(name).compressed != was.compressed)
            changed.insert(name);
    EXPECT_EQ(changed, (std::set<std::string>{"xl/calcChain.xml", kSummaryPart, kDetailedPart, "xl/workbook.xml",
                                              "xl/_rels/workbook.xml.rels", "[Content_Types].xml"}));
    EXPECT_EQ(std::pair(after.size(), after.count("xl/calcChain.xml")), std::pair(before.size() - 1, size_t(0)));
    const pugi::xml_document summary = parse(after.at(kSummaryPart).data);
    const pugi::xml_node formulaCell = summary.select_node("//*[local-name()='c'][@r='C24']").node();
    // The template's formula is kept, its cached value and type dropped.
    EXPECT_EQ(std::tuple(!formulaCell.child("f"), !formulaCell.child("v"), !formulaCell.attribute("t")),
              std::tuple(false, true, true));
    const pugi::xml_document workbook = parse(after.at("xl/workbook.xml").data);
    EXPECT_STREQ(workbook.document_element().child("calcPr").attribute("fullCalcOnLoad").value(), "1");
    EXPECT_EQ(after.at("xl/_rels/workbook.xml.rels").data.find("calcChain"), std::string::npos);
    EXPECT_EQ(after.at("[Content_Types].xml").data.find("calcChain"), std::string::npos);
    EXPECT_NE(after.at("[Content_Types].xml").data.find("sheet.macroEnabled.main+xml"), std::string::npos);

    const pugi::xml_document sheet = parse(after.at(kDetailedPart).data);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order; // row and column of each cell, as stored
    for (const pugi::xpath_node cell : sheet.select_nodes("//*[local-name()='row']/*[local-name()='c']")) {
        const auto at = parseCell(cell.node().attribute("r").value()).value_or(CellRef {});
        order.emplace_back(at.row, at.column);
    }
    EXPECT_EQ(std::adjacent_find(order.begin(), order.end(), std::greater_equal<>()), order.end()); // row by row
    EXPECT_EQ(std::pair(order.front(), order.back()), std::pair(std::pair(1u, 1u), std::pair(200u, 5u)));
    EXPECT_STREQ(sheet.document_element().child("dimension").attribute("ref").value(), "A1:AD200");

    EXPECT_EQ(std::filesystem::status(copy).permissions(), std::filesystem::perms(0644));
    EXPECT_EQ(readFile(source), sourceBytes);
    EXPECT_EQ(std::filesystem::last_write_time(source), sourceTime);

    // Cell, value (a number compared as a number), number format ("-": any).
    const std::vector<std::array<std::string, 3>> expected = {
        {"DetailedResults!B3", "3", "0"}, {"DetailedResults!C4", "0.3333333333333333", "0.0%"},
        {"DetailedResults!H4", "no data", "0.0"}, {"DetailedResults!B15", "Zo\xc3\xab", "-"},
        {"DetailedResults!B16", "=1+1", "-"}, {"DetailedResults!B17", "+SUM(A1:A2)", "-"},
        {"DetailedResults!B18", "", "-"}, {"DetailedResults!G24", "10", "-"}, {"DetailedResults!G25", "", "-"},
        {"DetailedResults!AD3", "1", "-"}, {"DetailedResults!E200", "last", "-"},
        {"DetailedResults!B1", "E-mails by day of week", "-"}, {"Summary!C4", "  Line one\nLine\ttwo ", "-"},
        {"Summary!C5", "Inbox!", "-"}, {"Summary!C9", "12", "-"},
    };
    std::vector<std::string> queries = {"name:OutputUsernameLabel", "sheets:"};
    for (const auto& row : expected)
        queries.push_back("cell:" + row[0]);
    const auto got = readWorkbook(copy, queries);
    for (const auto& [cell, value, format] : expected) {
        const ReadValue& read = got.at("cell:" + cell);
        EXPECT_EQ(read.isNumber() ? read.number() : 0.0, read.isNumber() ? std::stod(value) : 0.0) << cell;
        EXPECT_EQ(read.isNumber() ? "" : read.text, read.isNumber() ? "" : value) << cell;
        EXPECT_EQ(read.isEmpty(), value.empty()) << cell << ": an array fills only its range";
        EXPECT_EQ(format == "-" ? "-" : read.numberFormat, format) << cell;
    }
    EXPECT_EQ(got.at("cell:DetailedResults!B16").dataType, "s");
    EXPECT_EQ(got.at("name:OutputUsernameLabel").text, "Summary!$C$4");
    EXPECT_EQ(got.at("sheets:").text, "Summary,DetailedResults,Insights");
}

TEST_F(WorkbookPackage, SavingNeverReplacesAFileAndFailsWhereItCannotWrite)
{
    writeFile(copy, "someone else's results");
    auto book = Workbook::open(resultsTemplatePath());
    book->setLabel("OutputUsernameLabel", std::string("Jane"));
    EXPECT_THAT([&] { book->saveCopyAs(copy); }, ThrowsMessage<WorkbookError>(HasSubstr("file exists")));
    EXPECT_EQ(readFile(copy), "someone else's results");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";
    // A file that appears between writing and publishing is not replaced either.
    workbook::PendingFile pending(dir / "late.xlsm");
    pending.write("new");
    writeFile(dir / "late.xlsm", "arrived meanwhile");
    EXPECT_THROW(pending.publish(), WorkbookError);
    EXPECT_EQ(readFile(dir / "late.xlsm"), "arrived meanwhile");
    EXPECT_THROW(book->saveCopyAs(dir / "missing-folder" / "copy.xlsm"), WorkbookError);
    EXPECT_THROW(book->saveCopyAs(copy / "copy.xlsm"), WorkbookError);
}

TEST_F(WorkbookPackage, BrokenFilesDoNotOpenAndAClosedWorkbookRefusesEveryCall)
{
    writeFile(dir / "text.xlsm", "not a zip at all");
    const auto noWorkbook = dir / "other.xlsm";
    writeFile(noWorkbook, std::string("PK\x05\x06", 4) + std::string(18, '\0')); // a zip with no entry
    // Found by fuzzing: a part whose entry claims 256 MiB was allocated whole.
    const auto claimsTooMuch = sourceDir() / "tests/fuzz/regressions/workbook/part-claims-256MiB.xlsm";
    for (const auto& file : {dir / "absent.xlsm", dir / "text.xlsm", noWorkbook, dir.path(), claimsTooMuch})
        EXPECT_THAT([&] { Workbook::open(file); }, ThrowsMessage<WorkbookError>(HasSubstr(file.string())));
    auto book = Workbook::open(resultsTemplatePath());
    Worksheet& summary = book->sheet("Summary");
    book->close();
    EXPECT_THROW(book->sheet("Summary"), WorkbookError);
    EXPECT_THROW(book->setLabel("OutputUsernameLabel", 1.0), WorkbookError);
    EXPECT_THROW(summary.setCell("C4", 1.0), WorkbookError);
    EXPECT_THROW(book->saveCopyAs(copy), WorkbookError);
    EXPECT_FALSE(std::filesystem::exists(copy));
}

// Carriage returns and escape-like texts are stored escaped, which openpyxl
// does not decode: they are read back through a Workbook.
TEST_F(WorkbookPackage, ValuesReadBackThroughTheWorkbookAndBadNamesThrow)
{
    auto book = Workbook::open(resultsTemplatePath());
    Worksheet& detailed = book->sheet("detailedresults");
    detailed.setCell("W15", 1.0);
    detailed.setCell("AB4", CellValue{});
    const std::string escaped = "Line one\r\nLine two _x0041_";
    book->setLabel("outputusernamelabel", escaped);
    EXPECT_EQ((std::array{detailed.cell("w15"), detailed.cell("AB4"), detailed.cell("V2")}),
              (std::array{CellValue(1.0), CellValue{}, CellValue(std::string("Count"))}));
    book->saveCopyAs(copy);
    EXPECT_EQ(Workbook::open(copy)->label("OutputUsernameLabel"), CellValue(escaped));
    EXPECT_THROW(book->sheet("NoSuchSheet"), WorkbookError);
    EXPECT_THROW(book->setLabel("NoSuchLabel", 1.0), WorkbookError);
    EXPECT_THROW(detailed.setRange("B3:C9", {1.0}), WorkbookError);
    EXPECT_THROW(detailed.setRange("B3:", {1.0}), WorkbookError);
    EXPECT_THROW(detailed.setCell("B3:B4", 1.0), WorkbookError);
}

// Each text as a range ("" when refused): corners in order, any case, with
// or without dollars; a single cell is a one-cell range.
TEST(WorkbookAddress, CellsRangesAndDefinedNamesReadInAnyFormOrAreRefused)
{
    const std::pair<const char*, const char*> cases[] = {
        {"A1", "A1:A1"}, {"$B$3", "B3:B3"}, {"B$3", "B3:B3"}, {"aa15", "AA15:AA15"}, {"Zz9", "ZZ9:ZZ9"},
        {"XFD1048576", "XFD1048576:XFD1048576"}, {"b9:B3", "B3:B9"}, {"$L$3:$L$26", "L3:L26"}, {"H3:B1", "B1:H3"},
        {"", ""}, {"B", ""}, {"3", ""}, {"B0", ""}, {"3B", ""}, {"B3:", ""}, {"XFE1", ""}, {"A1048577", ""},
        {"B 3", ""}, {"$$B3", ""}, {"B3x", ""}, {"ABCD1", ""}, {"B3:B9:B10", ""},
    };
    for (const auto& [text, expected] : cases) {
        const auto range = parseRange(text);
        EXPECT_EQ(range ? cellName(range->first) + ":" + cellName(range->last) : "", expected) << text;
        EXPECT_EQ(parseCell(text).has_value(), *expected && !std::strchr(text, ':')) << text;
    }
    for (std::uint32_t column : {1u, 26u, 27u, 52u, 702u, 703u, 16384u})
        EXPECT_EQ(columnOf(columnName(column)), column);
    // A defined name's reference gives its sheet and first cell.
    const std::pair<const char*, const char*> references[] = {
        {"Summary!$C$4", "Summary!C4"}, {"=Summary!C4", "Summary!C4"}, {"'My sheet'!$C$4:$D$4", "My sheet!C4"},
        {"'It''s'!A1", "It's!A1"}, {"42", ""}, {"$C$4", ""}, {"Summary!", ""}, {"'Summary!C4", ""},
        {"SUM(Summary!C4)", ""}, {"!C4", ""},
    };
    for (const auto& [text, expected] : references) {
        const auto ref = parseSheetReference(text);
        EXPECT_EQ(ref ? ref->sheet + "!" + cellName(ref->cell) : "", expected) << text;
    }
}

// Control characters and invalid UTF-8 are dropped, carriage returns and
// texts that look like escapes are escaped (ECMA-376 ST_Xstring), and the
// escapes read back.
TEST(WorkbookCellText, TextsAreCleanedEscapedAndCutAndNumbersReadBackExactly)
{
    const std::pair<std::string, std::string> cases[] = {
        {"=1+1", "=1+1"}, {std::string("a\x01" "b\x1f" "c\0!", 7), "abc!"}, {"tab\tline\nend", "tab\tline\nend"},
        {"cr\r\nlf", "cr_x000D_\nlf"}, {"_x0041_", "_x005F_x0041_"},
        {"_x41_", "_x41_"}, {"bad\xff\xc3(", "bad("}, {"\xef\xbf\xbe\xef\xbf\xbfok", "ok"},
        {"Zo\xc3\xab \xf0\x9f\x98\x80", "Zo\xc3\xab \xf0\x9f\x98\x80"}, {"\xed\xa0\x80surrogate\xc0\xaf", "surrogate"},
    };
    for (const auto& [in, stored] : cases)
        EXPECT_EQ(toCellXmlText(in), stored) << in;
    for (std::string text : {"_x0041_", "cr\r\nlf", "a_b_x_", "__x005F_x0041__"})
        EXPECT_EQ(fromCellXmlText(toCellXmlText(text)), text) << text;
    EXPECT_EQ(fromCellXmlText("_x0041_B"), "AB");
    EXPECT_EQ(toCellXmlText(std::string(40000, 'x')).size(), kMaxCellChars);
    // A character outside the Basic Multilingual Plane counts two units.
    std::string emoji;
    for (int i = 0; i < 20000; ++i)
        emoji += "\xf0\x9f\x98\x80";
    EXPECT_EQ(toCellXmlText(emoji).size(), (kMaxCellChars / 2) * 4);
    // Numbers read back exactly.
    for (double value : {0.0, -2.5, 0.1, 1.0 / 3.0, 2.0 / 3.0 * 1e-300, 123456789012345678.0,
                         std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()}) {
        const std::string text = formatCellNumber(value);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
    }
    EXPECT_EQ(formatCellNumber(7.0), "7");
}

TEST(WorkbookPackageNames, RelationshipTargetsAndTypes)
{
    const char* const cases[][3] = {
        {"", "/xl/workbook.xml", "xl/workbook.xml"}, {"xl/workbook.xml", "./calcChain.xml", "xl/calcChain.xml"},
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/worksheets/sheet1.xml", "../drawings/drawing1.xml", "xl/drawings/drawing1.xml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveTarget(c[0], c[1]), c[2]) << c[0] << " + " << c[1];
    EXPECT_EQ(relationshipsPartOf(""), "_rels/.rels");
    EXPECT_EQ(relationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
    // Types match by their whole last segment, not by a suffix of it.
    const std::vector<Relationship> rels = {
        {"rId1", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties", "c.xml"},
        {"rId2", "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument", "xl/workbook.xml"},
        {"rId3", "http://example.org/relationships/worksheetExtra", "x.xml"},
    };
    EXPECT_EQ(findByType(rels, "/officeDocument"), &rels[1]);
    EXPECT_EQ(findByType(rels, "/worksheet"), nullptr);
}

// The libraries the program loads when first needed: a missing library or
// function is found out and said, never called.
TEST(LoadedLibraries, FunctionsAreFoundAndWhatIsMissingIsSaid)
{
    LoadedLibrary zipLibrary("libzip.so.4");
    decltype(&zip_libzip_version) version = nullptr;
    ASSERT_TRUE(zipLibrary.find("zip_libzip_version", version)) << zipLibrary.missing();
    EXPECT_STREQ(version(), zip_libzip_version());
    decltype(&zip_open) none = &zip_open;
    EXPECT_FALSE(zipLibrary.find("zip_no_such_function", none));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(zipLibrary.missing(), "zip_no_such_function is not in the library");

    LoadedLibrary absent("libbrisk-no-such-library.so.1");
    EXPECT_FALSE(absent.find("zip_open", none));
    EXPECT_NE(absent.missing().find("libbrisk-no-such-library.so.1"), std::string::npos) << absent.missing();
}

} // namespace
} // namespace brisk::test
