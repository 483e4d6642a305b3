// Addresses, cell texts and part names of workbook packages.

#include "platform/workbook/CellAddress.h"
#include "platform/workbook/CellText.h"
#include "platform/workbook/PackageXml.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace brisk::workbook {
namespace {

TEST(WorkbookAddress, CellAddressesReadInAnyCaseWithOrWithoutDollars)
{
    const struct {
        const char* text;
        std::uint32_t row;
        std::uint32_t column;
    } cases[] = {
        {"A1", 1, 1}, {"b3", 3, 2}, {"$B$3", 3, 2}, {"B$3", 3, 2}, {"aa15", 15, 27},
        {"AB15", 15, 28}, {"XFD1048576", 1048576, 16384}, {"Zz9", 9, 702},
    };
    for (const auto& c : cases) {
        const auto ref = parseCell(c.text);
        ASSERT_TRUE(ref) << c.text;
        EXPECT_EQ(ref->row, c.row) << c.text;
        EXPECT_EQ(ref->column, c.column) << c.text;
    }
}

TEST(WorkbookAddress, MalformedCellAddressesAreRejected)
{
    for (const char* text : {"", "B", "3", "B0", "3B", "B3:", "XFE1", "A1048577", "B 3", "$$B3", "B3x", "ABCD1"})
        EXPECT_FALSE(parseCell(text)) << text;
}

TEST(WorkbookAddress, RangesPutTheirCornersInOrder)
{
    const struct {
        const char* text;
        CellRef first;
        CellRef last;
    } cases[] = {
        {"B3:B9", {3, 2}, {9, 2}},
        {"b9:B3", {3, 2}, {9, 2}},
        {"$L$3:$L$26", {3, 12}, {26, 12}},
        {"C4", {4, 3}, {4, 3}},
        {"H3:B1", {1, 2}, {3, 8}},
    };
    for (const auto& c : cases) {
        const auto range = parseRange(c.text);
        ASSERT_TRUE(range) << c.text;
        EXPECT_EQ(range->first, c.first) << c.text;
        EXPECT_EQ(range->last, c.last) << c.text;
    }
    EXPECT_FALSE(parseRange("B3:"));
    EXPECT_FALSE(parseRange("B3:B9:B10"));
}

TEST(WorkbookAddress, DefinedNameReferencesGiveSheetAndFirstCell)
{
    const struct {
        const char* text;
        const char* sheet;
        CellRef cell;
    } cases[] = {
        {"Summary!$C$4", "Summary", {4, 3}},
        {"=Summary!C4", "Summary", {4, 3}},
        {"'My sheet'!$C$4:$D$4", "My sheet", {4, 3}},
        {"'It''s'!A1", "It's", {1, 1}},
    };
    for (const auto& c : cases) {
        const auto ref = parseSheetReference(c.text);
        ASSERT_TRUE(ref) << c.text;
        EXPECT_EQ(ref->sheet, c.sheet) << c.text;
        EXPECT_EQ(ref->cell, c.cell) << c.text;
    }
    for (const char* text : {"42", "$C$4", "Summary!", "'Summary!C4", "SUM(Summary!C4)", "!C4"})
        EXPECT_FALSE(parseSheetReference(text)) << text;
}

TEST(WorkbookAddress, ColumnNamesAndNumbersAgree)
{
    for (std::uint32_t column : {1u, 2u, 26u, 27u, 28u, 52u, 702u, 703u, 16384u})
        EXPECT_EQ(columnOf(columnName(column)), column);
    EXPECT_EQ(columnName(28), "AB");
    EXPECT_EQ(cellName({15, 22}), "V15");
}

TEST(WorkbookCellText, TextsAreCleanedAndEscapedForCells)
{
    const struct {
        std::string in;
        std::string stored;
    } cases[] = {
        {"plain", "plain"},
        {"=1+1", "=1+1"},
        {std::string("a\x01" "b\x1f" "c", 5), "abc"},
        {std::string("nul\0!", 5), "nul!"},
        {"tab\tline\nend", "tab\tline\nend"},
        {"cr\r\nlf", "cr_x000D_\nlf"},
        {"_x0041_", "_x005F_x0041_"},
        {"_x41_", "_x41_"},
        {"Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x98\x80", "Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"bad\xff\xc3(", "bad("},
        {"\xef\xbf\xbe\xef\xbf\xbfok", "ok"},
        {"\xed\xa0\x80surrogate", "surrogate"},
        {"\xc0\xafoverlong", "overlong"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCellXmlText(c.in), c.stored) << c.in;
    }
}

TEST(WorkbookCellText, EscapesReadBackToTheCleanedText)
{
    for (std::string text : {"_x0041_", "cr\r\nlf", "a_b_x_", "__x005F_x0041__"})
        EXPECT_EQ(fromCellXmlText(toCellXmlText(text)), text) << text;
    EXPECT_EQ(fromCellXmlText("_x0041_B"), "AB");
}

TEST(WorkbookCellText, LongTextsAreCutAtTheCellLimit)
{
    EXPECT_EQ(toCellXmlText(std::string(40000, 'x')).size(), kMaxCellChars);
    // A character outside the Basic Multilingual Plane counts two units.
    std::string emoji;
    for (int i = 0; i < 20000; ++i)
        emoji += "\xf0\x9f\x98\x80";
    EXPECT_EQ(toCellXmlText(emoji).size(), (kMaxCellChars / 2) * 4);
}

TEST(WorkbookCellText, NumbersReadBackExactly)
{
    for (double value : {0.0, 1.0, -2.5, 0.1, 1.0 / 3.0, 2.0 / 3.0 * 1e-300, 123456789012345678.0,
                         std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()}) {
        const std::string text = formatCellNumber(value);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
    }
    EXPECT_EQ(formatCellNumber(1.5), "1.5");
    EXPECT_EQ(formatCellNumber(7.0), "7");
}

TEST(WorkbookPackageNames, RelationshipTargetsResolveAgainstTheirSource)
{
    const struct {
        const char* source;
        const char* target;
        const char* part;
    } cases[] = {
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"", "/xl/workbook.xml", "xl/workbook.xml"},
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/worksheets/sheet1.xml", "../drawings/drawing1.xml", "xl/drawings/drawing1.xml"},
        {"xl/workbook.xml", "./calcChain.xml", "xl/calcChain.xml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveTarget(c.source, c.target), c.part) << c.source << " + " << c.target;
    EXPECT_EQ(relationshipsPartOf(""), "_rels/.rels");
    EXPECT_EQ(relationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
}

TEST(WorkbookPackageNames, RelationshipTypesMatchByTheirLastSegment)
{
    const std::vector<Relationship> rels = {
        {"rId1", "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
         "docProps/core.xml"},
        {"rId2", "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument", "xl/workbook.xml"},
        {"rId3", "http://example.org/relationships/worksheetExtra", "x.xml"},
    };
    ASSERT_NE(findByType(rels, "/officeDocument"), nullptr);
    EXPECT_EQ(findByType(rels, "/officeDocument")->id, "rId2");
    EXPECT_EQ(findByType(rels, "/worksheet"), nullptr);
}

} // namespace
} // namespace brisk::workbook
