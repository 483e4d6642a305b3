// The generated results template, filled through Workbook and read back by an
// independent reader (openpyxl).

#include "platform/workbook/Workbook.h"
#include "tests/platform/workbook_support.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <charconv>

namespace brisk::test {
namespace {

class WorkbookRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(resultsTemplatePath()))
            << resultsTemplatePath() << " is missing: build the results_template target";
        book = Workbook::open(resultsTemplatePath());
    }

    // Saves the copy and reads the queries back with openpyxl.
    std::map<std::string, ReadBack> saveAndRead(const std::vector<std::string>& queries)
    {
        book->saveCopyAs(copy);
        try {
            return readWithOpenpyxl(copy, queries);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            return {};
        }
    }

    static double number(const ReadBack& cell)
    {
        double value = -1;
        std::from_chars(cell.value.data(), cell.value.data() + cell.value.size(), value);
        return value;
    }

    TempDir dir;
    std::filesystem::path copy = dir / "results.xlsm";
    std::unique_ptr<Workbook> book;
};

TEST_F(WorkbookRoundTrip, TemplateCarriesBothSheetsAndAllNineteenLabels)
{
    EXPECT_EQ(book->sheetNames(), (std::vector<std::string>{"Summary", "DetailedResults", "Insights"}));
    for (const char* name :
         {"OutputUsernameLabel", "OutputMailboxLabel", "OutputAnalysisDateLabel", "OutputEmailCountLabel",
          "OutputAnalysedEmailsCountLabel", "OutputValidEmailsCountLabel", "OutputPeriodFromLabel",
          "OutputPeriodToLabel", "OutputAvgEmailsPerDayLabel", "OutputMaxEmailsPerDayLabel",
          "OutputOneToOneEmailsLabel", "OutputReplyAndFwdEmailsLabel", "OutputAvgEmailLgtWordsLabel",
          "OutputAvgEmailLgtCharsLabel", "OutputMedianResponseHourLabel", "OutputMedianResponseMinuteLabel",
          "OutputAvgEmailSizeLabel", "OutputAvgEmailSizeWithAttLabel", "OutputAvgEmailSizeWoAttLabel"})
        EXPECT_TRUE(book->hasLabel(name)) << name;
    EXPECT_FALSE(book->hasLabel("OutputNoSuchLabel"));
    EXPECT_EQ(book->sheet("DetailedResults").cell("A3"), CellValue(std::string("Mon")));
    EXPECT_EQ(book->sheet("DetailedResults").cell("K26"), CellValue(std::string("23-24")));
    EXPECT_EQ(book->sheet("DetailedResults").cell("U15"), CellValue(std::string("Total")));
    // The Insights map's corners and the rows the export fills.
    Worksheet& insights = book->sheet("Insights");
    EXPECT_EQ(insights.cell("A5"), CellValue(std::string("Mon")));
    EXPECT_EQ(insights.cell("A11"), CellValue(std::string("Sun")));
    EXPECT_EQ(insights.cell("B4"), CellValue(std::string("00")));
    EXPECT_EQ(insights.cell("Y4"), CellValue(std::string("23")));
    EXPECT_EQ(insights.cell("A15"), CellValue(std::string("25th")));
    EXPECT_EQ(insights.cell("A24"), CellValue(std::string("7 days")));
    EXPECT_EQ(insights.cell("A29"), CellValue(std::string("E-mails in working time")));
}

TEST_F(WorkbookRoundTrip, RangesCellsAndLabelsReadBackWithTheirFormats)
{
    Worksheet& detailed = book->sheet("DetailedResults");
    detailed.setRange("B3:B9", {3.0, 1.0, 0.0, 2.0, 5.0, 0.0, 1.0});
    detailed.setRange("c3:c9", {0.25, 1.0 / 3.0, 0.0, 0.1, 0.2, 0.0, 0.05});
    detailed.setCell("B10", 12.0);
    detailed.setCell("h4", std::string("no data"));
    detailed.setRange("B15:B24", {std::string("Ann"), std::string("Zo\xc3\xab")});
    book->setLabel("OutputUsernameLabel", std::string("Anonymous"));
    book->setLabel("OutputUsernameLabel", std::string("Jane Doe"));
    book->setLabel("OutputValidEmailsCountLabel", 12.0);

    const auto got = saveAndRead({"cell:DetailedResults!B3", "cell:DetailedResults!B9", "cell:DetailedResults!C4",
                                  "cell:DetailedResults!B10", "cell:DetailedResults!H4", "cell:DetailedResults!B15",
                                  "cell:DetailedResults!B16", "cell:DetailedResults!B17", "cell:Summary!C4",
                                  "cell:Summary!C9", "name:OutputUsernameLabel", "sheets:"});
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(number(got.at("cell:DetailedResults!B3")), 3.0);
    EXPECT_EQ(number(got.at("cell:DetailedResults!B9")), 1.0);
    EXPECT_EQ(number(got.at("cell:DetailedResults!C4")), 1.0 / 3.0);
    EXPECT_EQ(got.at("cell:DetailedResults!C4").numberFormat, "0.0%");
    EXPECT_EQ(got.at("cell:DetailedResults!B3").numberFormat, "0");
    EXPECT_EQ(number(got.at("cell:DetailedResults!B10")), 12.0);
    EXPECT_EQ(got.at("cell:DetailedResults!H4").value, "no data");
    EXPECT_EQ(got.at("cell:DetailedResults!H4").numberFormat, "0.0");
    EXPECT_EQ(got.at("cell:DetailedResults!B15").value, "Ann");
    EXPECT_EQ(got.at("cell:DetailedResults!B16").value, "Zo\xc3\xab");
    EXPECT_EQ(got.at("cell:DetailedResults!B17").type, "NoneType") << "a shorter array leaves the rest";
    EXPECT_EQ(got.at("cell:Summary!C4").value, "Jane Doe");
    EXPECT_EQ(number(got.at("cell:Summary!C9")), 12.0);
    EXPECT_EQ(got.at("name:OutputUsernameLabel").value, "Summary!$C$4");
    EXPECT_EQ(got.at("sheets:").value, "Summary,DetailedResults,Insights");
}

TEST_F(WorkbookRoundTrip, TextsThatLookLikeFormulasStayTexts)
{
    Worksheet& detailed = book->sheet("DetailedResults");
    detailed.setRange("B15:B18", {std::string("=1+1"), std::string("+SUM(A1:A2)"), std::string("@x"),
                                  std::string(" =lead")});
    const auto got = saveAndRead({"cell:DetailedResults!B15", "cell:DetailedResults!B16", "cell:DetailedResults!B17",
                                  "cell:DetailedResults!B18"});
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.at("cell:DetailedResults!B15").value, "=1+1");
    EXPECT_EQ(got.at("cell:DetailedResults!B15").dataType, "s");
    EXPECT_EQ(got.at("cell:DetailedResults!B16").value, "+SUM(A1:A2)");
    EXPECT_EQ(got.at("cell:DetailedResults!B17").value, "@x");
    EXPECT_EQ(got.at("cell:DetailedResults!B18").value, " =lead");
}

TEST_F(WorkbookRoundTrip, CharactersXmlCannotHoldAreDropped)
{
    book->setLabel("OutputMailboxLabel", std::string("In\x01" "box\x0b" "\xef\xbf\xbe" "\xff" "!"));
    book->setLabel("OutputUsernameLabel", std::string("  Line one\nLine\ttwo "));
    const auto got = saveAndRead({"cell:Summary!C5", "cell:Summary!C4"});
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.at("cell:Summary!C5").value, "Inbox!");
    EXPECT_EQ(got.at("cell:Summary!C4").value, "  Line one\nLine\ttwo ");
}

// Carriage returns and texts that look like escapes are stored escaped
// (_x000D_, _x005F_), which the spreadsheet applications decode; openpyxl
// does not, so the copy is read back through a Workbook here.
TEST_F(WorkbookRoundTrip, EscapedCharactersReadBackUnchanged)
{
    const std::string text = "Line one\r\nLine two _x0041_";
    book->setLabel("OutputUsernameLabel", text);
    book->saveCopyAs(copy);
    EXPECT_EQ(Workbook::open(copy)->label("OutputUsernameLabel"), CellValue(text));
}

TEST_F(WorkbookRoundTrip, ALongerArrayFillsOnlyItsRange)
{
    std::vector<CellValue> eleven;
    for (int i = 0; i < 11; ++i)
        eleven.emplace_back(static_cast<double>(i + 1));
    book->sheet("DetailedResults").setRange("$G$15:$G$24", eleven);
    const auto got = saveAndRead({"cell:DetailedResults!G15", "cell:DetailedResults!G24", "cell:DetailedResults!G25"});
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(number(got.at("cell:DetailedResults!G15")), 1.0);
    EXPECT_EQ(number(got.at("cell:DetailedResults!G24")), 10.0);
    EXPECT_EQ(got.at("cell:DetailedResults!G25").type, "NoneType");
}

TEST_F(WorkbookRoundTrip, CellsOutsideTheTemplateAreInsertedInOrder)
{
    Worksheet& detailed = book->sheet("DetailedResults");
    // Row 40 exists only where the charts are; AD and row 200 are new.
    detailed.setCell("AD3", 1.0);
    detailed.setCell("E200", std::string("last"));
    detailed.setCell("A1", std::string("first"));
    detailed.setCell("J12", 2.0);
    const auto got = saveAndRead({"cell:DetailedResults!AD3", "cell:DetailedResults!E200", "cell:DetailedResults!A1",
                                  "cell:DetailedResults!J12", "cell:DetailedResults!B1"});
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(number(got.at("cell:DetailedResults!AD3")), 1.0);
    EXPECT_EQ(got.at("cell:DetailedResults!E200").value, "last");
    EXPECT_EQ(got.at("cell:DetailedResults!A1").value, "first");
    EXPECT_EQ(number(got.at("cell:DetailedResults!J12")), 2.0);
    EXPECT_EQ(got.at("cell:DetailedResults!B1").value, "E-mails by day of week");
}

TEST_F(WorkbookRoundTrip, ValuesReadBackThroughTheWorkbookToo)
{
    Worksheet& detailed = book->sheet("DetailedResults");
    detailed.setCell("W15", 1.0);
    detailed.setCell("AB3", std::string("no data"));
    detailed.setCell("AB4", CellValue{});
    book->setLabel("outputusernamelabel", std::string("Anonymous"));
    EXPECT_EQ(detailed.cell("w15"), CellValue(1.0));
    EXPECT_EQ(detailed.cell("AB3"), CellValue(std::string("no data")));
    EXPECT_EQ(detailed.cell("AB4"), CellValue{});
    EXPECT_EQ(book->label("OutputUsernameLabel"), CellValue(std::string("Anonymous")));
    EXPECT_EQ(detailed.cell("V2"), CellValue(std::string("Count")));
}

TEST_F(WorkbookRoundTrip, BadNamesAndAddressesThrow)
{
    EXPECT_THROW(book->sheet("NoSuchSheet"), WorkbookError);
    EXPECT_THROW(book->setLabel("NoSuchLabel", 1.0), WorkbookError);
    Worksheet& detailed = book->sheet("DetailedResults");
    EXPECT_THROW(detailed.setRange("B3:C9", {1.0}), WorkbookError);
    EXPECT_THROW(detailed.setRange("B3:", {1.0}), WorkbookError);
    EXPECT_THROW(detailed.setCell("3B", 1.0), WorkbookError);
    EXPECT_THROW(detailed.setCell("B3:B4", 1.0), WorkbookError);
    EXPECT_EQ(&book->sheet("detailedresults"), &detailed);
}

} // namespace
} // namespace brisk::test
