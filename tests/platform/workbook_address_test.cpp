// A1 addresses, cell texts and numbers, and part names of workbook packages.

#include "platform/workbook/CellAddress.h"
#include "platform/workbook/CellText.h"
#include "platform/workbook/PackageXml.h"

#include <gtest/gtest.h>

#include <charconv>
#include <limits>

namespace brisk::workbook {
namespace {

// Each text as a range ("" when refused): corners in order, any case, with
// or without dollars; a single cell is a one-cell range.
TEST(WorkbookAddress, CellsAndRangesReadInAnyFormOrAreRefused)
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
        if (std::string(text).find(':') == std::string::npos) {
            EXPECT_EQ(parseCell(text).has_value(), *expected != '\0') << text;
        }
    }
    for (std::uint32_t column : {1u, 26u, 27u, 52u, 702u, 703u, 16384u})
        EXPECT_EQ(columnOf(columnName(column)), column);
}

TEST(WorkbookAddress, DefinedNameReferencesGiveSheetAndFirstCell)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Summary!$C$4", "Summary!C4"}, {"=Summary!C4", "Summary!C4"}, {"'My sheet'!$C$4:$D$4", "My sheet!C4"},
        {"'It''s'!A1", "It's!A1"}, {"42", ""}, {"$C$4", ""}, {"Summary!", ""}, {"'Summary!C4", ""},
        {"SUM(Summary!C4)", ""}, {"!C4", ""},
    };
    for (const auto& [text, expected] : cases) {
        const auto ref = parseSheetReference(text);
        EXPECT_EQ(ref ? ref->sheet + "!" + cellName(ref->cell) : "", expected) << text;
    }
}

// Control characters and invalid UTF-8 are dropped, carriage returns and
// texts that look like escapes are escaped (ECMA-376 ST_Xstring), and the
// escapes read back.
TEST(WorkbookCellText, TextsAreCleanedEscapedAndCutForCells)
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
}

TEST(WorkbookCellText, NumbersReadBackExactly)
{
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

} // namespace
} // namespace brisk::workbook
