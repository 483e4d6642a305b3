// What saving a workbook copy keeps, changes and refuses, seen in the zip
// package itself.

#include "platform/workbook/SafeFile.h"
#include "platform/workbook/Workbook.h"
#include "tests/platform/workbook_support.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <zip.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brisk::test {
namespace {

// libxlsxwriter writes the sheets in the order they were added.
constexpr const char* kSummaryPart = "xl/worksheets/sheet1.xml";
constexpr const char* kDetailedPart = "xl/worksheets/sheet2.xml";

std::string replaceOnce(std::string text, const std::string& what, const std::string& with)
{
    const std::size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
    return text;
}

// Adds a calculation chain to a copy of the template, as the spreadsheet
// application writes one: part, relationship and content-type override.
std::filesystem::path templateWithCalcChain(const TempDir& dir)
{
    const auto file = dir / "with-chain.xlsm";
    std::filesystem::copy_file(resultsTemplatePath(), file);
    auto entries = zipEntries(file);
    const std::string rels = replaceOnce(
        entries.at("xl/_rels/workbook.xml.rels").data, "</Relationships>",
        "<Relationship Id=\"rId99\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "calcChain\" Target=\"calcChain.xml\"/></Relationships>");
    const std::string types = replaceOnce(
        entries.at("[Content_Types].xml").data, "</Types>",
        "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/></Types>");
    const std::string chain = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                              "<calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                              "<c r=\"C24\" i=\"1\"/></calcChain>";
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), 0, &code);
    const auto put = [&](const char* name, const std::string& content) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        const zip_int64_t index = zip_name_locate(archive, name, 0);
        if (index >= 0)
            zip_file_replace(archive, static_cast<zip_uint64_t>(index), source, 0);
        else
            zip_file_add(archive, name, source, 0);
    };
    put("xl/_rels/workbook.xml.rels", rels);
    put("[Content_Types].xml", types);
    put("xl/calcChain.xml", chain);
    EXPECT_EQ(zip_close(archive), 0);
    return file;
}

class WorkbookPackage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(resultsTemplatePath()))
            << resultsTemplatePath() << " is missing: build the results_template target";
    }

    // Opens the template, writes one cell on each sheet and saves the copy.
    void fillAndSave(const std::filesystem::path& from)
    {
        auto book = Workbook::open(from);
        book->sheet("DetailedResults").setRange("B3:B9", {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0});
        book->setLabel("OutputUsernameLabel", std::string("Jane"));
        book->saveCopyAs(copy);
        book->close();
    }

    TempDir dir;
    std::filesystem::path copy = dir / "copy.xlsm";
};

TEST_F(WorkbookPackage, UnchangedEntriesAreCopiedByteForByte)
{
    fillAndSave(resultsTemplatePath());
    const auto before = zipEntries(resultsTemplatePath());
    const auto after = zipEntries(copy);
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, entry] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        const bool edited = name == kSummaryPart || name == kDetailedPart || name == "xl/workbook.xml";
        if (edited) {
            EXPECT_NE(after.at(name).data, entry.data) << name;
            continue;
        }
        EXPECT_EQ(after.at(name).compressed, entry.compressed) << name;
        EXPECT_EQ(after.at(name).crc, entry.crc) << name;
        EXPECT_EQ(after.at(name).method, entry.method) << name;
    }
}

TEST_F(WorkbookPackage, WrittenCellsKeepTheirStyle)
{
    fillAndSave(resultsTemplatePath());
    const auto before = zipEntries(resultsTemplatePath());
    const auto after = zipEntries(copy);
    for (const char* cell : {"B3", "B9", "A3"}) {
        const std::string style = styleAttribute(before.at(kDetailedPart).data, cell);
        EXPECT_FALSE(style.empty()) << cell;
        EXPECT_EQ(styleAttribute(after.at(kDetailedPart).data, cell), style) << cell;
    }
    EXPECT_EQ(styleAttribute(after.at(kSummaryPart).data, "C4"), styleAttribute(before.at(kSummaryPart).data, "C4"));
}

TEST_F(WorkbookPackage, AnyWrittenCellMakesTheCopyRecalculateOnLoad)
{
    fillAndSave(resultsTemplatePath());
    const auto after = zipEntries(copy);
    pugi::xml_document summary;
    ASSERT_TRUE(summary.load_string(after.at(kSummaryPart).data.c_str()));
    const pugi::xml_node formulaCell = summary.select_node("//*[local-name()='c'][@r='C24']").node();
    ASSERT_TRUE(formulaCell.child("f")) << "the template's formula is kept";
    EXPECT_FALSE(formulaCell.child("v")) << "its cached value is dropped";
    EXPECT_FALSE(formulaCell.attribute("t"));
    pugi::xml_document workbook;
    ASSERT_TRUE(workbook.load_string(after.at("xl/workbook.xml").data.c_str()));
    EXPECT_STREQ(workbook.document_element().child("calcPr").attribute("fullCalcOnLoad").value(), "1");
}

TEST_F(WorkbookPackage, CalculationChainIsRemovedWithItsReferences)
{
    const auto source = templateWithCalcChain(dir);
    fillAndSave(source);
    const auto after = zipEntries(copy);
    EXPECT_FALSE(after.count("xl/calcChain.xml"));
    EXPECT_EQ(after.at("xl/_rels/workbook.xml.rels").data.find("calcChain"), std::string::npos);
    EXPECT_EQ(after.at("[Content_Types].xml").data.find("calcChain"), std::string::npos);
    EXPECT_NE(after.at("[Content_Types].xml").data.find("sheet.macroEnabled.main+xml"), std::string::npos);
    try {
        const auto got = readWithOpenpyxl(copy, {"cell:Summary!C4"});
        EXPECT_EQ(got.at("cell:Summary!C4").value, "Jane");
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
}

TEST_F(WorkbookPackage, InsertedRowsAndCellsKeepTheSheetInOrder)
{
    auto book = Workbook::open(resultsTemplatePath());
    Worksheet& detailed = book->sheet("DetailedResults");
    // A new column at the end of a row, a cell before the first, a new row
    // between rows 10 and 13, and rows after the last.
    for (const char* address : {"AD3", "A1", "J12", "E200", "E11", "B2", "C150"})
        detailed.setCell(address, 1.0);
    book->saveCopyAs(copy);

    pugi::xml_document sheet;
    ASSERT_TRUE(sheet.load_string(zipEntries(copy).at(kDetailedPart).data.c_str()));
    unsigned lastRow = 0;
    for (pugi::xml_node row : sheet.document_element().child("sheetData").children("row")) {
        EXPECT_GT(row.attribute("r").as_uint(), lastRow);
        lastRow = row.attribute("r").as_uint();
        std::string lastCell;
        for (pugi::xml_node cell : row.children("c")) {
            std::string name = cell.attribute("r").value();
            name = name.substr(0, name.find_first_of("0123456789"));
            const auto key = std::to_string(name.size()) + name;
            EXPECT_GT(key, lastCell) << "row " << lastRow;
            lastCell = key;
        }
    }
    EXPECT_EQ(lastRow, 200u);
    EXPECT_STREQ(sheet.document_element().child("dimension").attribute("ref").value(), "A1:AD200");
}

TEST_F(WorkbookPackage, ACopyWithoutEditsIsTheSameFile)
{
    const auto source = templateWithCalcChain(dir);
    auto book = Workbook::open(source);
    EXPECT_EQ(book->sheet("Summary").cell("B4"), CellValue(std::string("User name")));
    book->saveCopyAs(copy);
    EXPECT_EQ(readFile(copy), readFile(source));
}

TEST_F(WorkbookPackage, TheOpenedFileIsNeverModified)
{
    const auto source = dir / "template.xlsm";
    std::filesystem::copy_file(resultsTemplatePath(), source);
    const std::string bytes = readFile(source);
    const auto modified = std::filesystem::last_write_time(source);
    fillAndSave(source);
    EXPECT_EQ(readFile(source), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(source), modified);
}

TEST_F(WorkbookPackage, SavingNeverReplacesAnExistingFile)
{
    writeFile(copy, "someone else's results");
    auto book = Workbook::open(resultsTemplatePath());
    book->setLabel("OutputUsernameLabel", std::string("Jane"));
    try {
        book->saveCopyAs(copy);
        ADD_FAILURE() << "saveCopyAs replaced an existing file";
    } catch (const WorkbookError& e) {
        EXPECT_NE(std::string(e.what()).find("file exists"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(copy), "someone else's results");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";
}

TEST_F(WorkbookPackage, AFileThatAppearsWhileSavingIsNotReplaced)
{
    workbook::PendingFile pending(copy);
    pending.write("new");
    writeFile(copy, "arrived meanwhile");
    EXPECT_THROW(pending.publish(), WorkbookError);
    EXPECT_EQ(readFile(copy), "arrived meanwhile");
}

TEST_F(WorkbookPackage, SavedCopiesGetTheUsualPermissions)
{
    const mode_t mask = ::umask(022);
    fillAndSave(resultsTemplatePath());
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(copy.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(WorkbookPackage, AFolderThatCannotBeWrittenThrows)
{
    auto book = Workbook::open(resultsTemplatePath());
    book->setLabel("OutputUsernameLabel", std::string("Jane"));
    writeFile(dir / "plain-file", "x");
    EXPECT_THROW(book->saveCopyAs(dir / "missing-folder" / "copy.xlsm"), WorkbookError);
    EXPECT_THROW(book->saveCopyAs(dir / "plain-file" / "copy.xlsm"), WorkbookError);
    if (::geteuid() != 0) {
        // The superuser writes into read-only folders: only others can check this.
        const auto locked = dir / "locked";
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_THROW(book->saveCopyAs(locked / "copy.xlsm"), WorkbookError);
    }
}

TEST_F(WorkbookPackage, MissingOrBrokenFilesDoNotOpen)
{
    writeFile(dir / "text.xlsm", "not a zip at all");
    const auto emptyZip = dir / "other.xlsm";
    int code = 0;
    zip_t* archive = zip_open(emptyZip.c_str(), ZIP_CREATE, &code);
    const std::string note = "hello";
    zip_file_add(archive, "note.txt", zip_source_buffer(archive, note.data(), note.size(), 0), 0);
    ASSERT_EQ(zip_close(archive), 0);
    // Found by fuzzing: a part whose entry claims 256 MiB was allocated whole.
    const auto claimsTooMuch = test::sourceDir() / "tests/fuzz/regressions/workbook/part-claims-256MiB.xlsm";
    for (const auto& file : {dir / "absent.xlsm", dir / "text.xlsm", emptyZip, dir.path(), claimsTooMuch}) {
        try {
            Workbook::open(file);
            ADD_FAILURE() << file << " opened";
        } catch (const WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
        }
    }
}

TEST_F(WorkbookPackage, AClosedWorkbookRefusesEveryCall)
{
    auto book = Workbook::open(resultsTemplatePath());
    Worksheet& summary = book->sheet("Summary");
    book->close();
    EXPECT_THROW(book->sheet("Summary"), WorkbookError);
    EXPECT_THROW(book->setLabel("OutputUsernameLabel", 1.0), WorkbookError);
    EXPECT_THROW(summary.setCell("C4", 1.0), WorkbookError);
    EXPECT_THROW(book->saveCopyAs(copy), WorkbookError);
    EXPECT_FALSE(std::filesystem::exists(copy));
}

} // namespace
} // namespace brisk::test
