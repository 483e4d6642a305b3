// The in-memory chart workbook: addresses, the stored data table, block
// writes and reads, and the bound chart's change notification.

#include "platform/chart/ChartWorkbook.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace brisk::chart {
namespace {

struct AddressCase {
    const char* text;
    RangeAddress expected;
};

TEST(ChartWorkbookAddress, ReadsAddressesInAnyLetterCase)
{
    const AddressCase cases[] = {
        {"B15", {15, 2, 15, 2}},
        {"a15:b21", {15, 1, 21, 2}},
        {"B15:B21", {15, 2, 21, 2}},
        {"C15:D38", {15, 3, 38, 4}},
        {"d15:d38", {15, 4, 38, 4}},
        {"e15:F26", {15, 5, 26, 6}},
        {"$A$14:$F$14", {14, 1, 14, 6}},
        {"B21:A15", {15, 1, 21, 2}},
        {"AA1", {1, 27, 1, 27}},
        {"xfd1048576", {1048576, 16384, 1048576, 16384}},
    };
    for (const auto& c : cases) {
        const auto parsed = parseRangeAddress(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.expected) << c.text;
    }
}

TEST(ChartWorkbookAddress, RejectsTextThatIsNoAddress)
{
    for (const char* text : {"", "15", "B", "B0", "B15:", ":B15", "B15:C", "B15 ", " B15", "B-1",
                             "ABCD1", "XFE1", "A1048577", "B15;B21", "B15:B21:C3", "R1C1"})
        EXPECT_FALSE(parseRangeAddress(text).has_value()) << '"' << text << '"';
}

TEST(ChartWorkbookAddress, ColumnLettersRoundTrip)
{
    for (int column : {1, 2, 26, 27, 52, 53, 702, 703, 16384})
        EXPECT_EQ(columnNumber(columnLetters(column)), column) << column;
    EXPECT_EQ(columnLetters(28), "AB");
    EXPECT_EQ((RangeAddress{15, 1, 21, 2}.text()), "A15:B21");
    EXPECT_EQ((RangeAddress{15, 2, 15, 2}.text()), "B15");
}

TEST(ChartWorkbook, HoldsThreeSheetsTheFirstActive)
{
    ChartWorkbook book;
    EXPECT_EQ(book.sheetCount(), 3);
    EXPECT_EQ(book.ActiveSheet().Name(), "Sheet1");
    EXPECT_EQ(&book.Sheets("Sheet1"), &book.ActiveSheet());
    EXPECT_EQ(book.Sheets("Sheet2").Range("A1:H40").Value(),
              CellGrid(40, std::vector<CellValue>(8, CellValue{})));
    EXPECT_EQ(book.Sheets("Sheet3").chartObjectCount(), 0);
    EXPECT_THROW(book.Sheets("Sheet4"), std::out_of_range);
    EXPECT_TRUE(book.Parent().Ready());
}

TEST(ChartWorkbook, Sheet1HoldsTheChartDataTable)
{
    ChartWorkbook book;
    ChartSheet& sheet = book.ActiveSheet();
    const CellGrid titles = sheet.Range("A14:F14").Value();
    const char* expectedTitles[] = {"DoW", "%Emails on different days", "ToD",
                                    "%Emails in different hours", "MoY", "%Emails in different months"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(cellText(titles[0][static_cast<std::size_t>(c)]), expectedTitles[c]);

    const char* days[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(sheet.cell(15 + r, 1), CellValue{std::string(days[r])});
        EXPECT_EQ(sheet.cell(15 + r, 2), CellValue{(r + 1) / 100.0}) << "stored sample value";
    }
    EXPECT_EQ(sheet.cell(15, 3), CellValue{std::string("00-01")});
    EXPECT_EQ(sheet.cell(24, 3), CellValue{std::string("09-10")});
    EXPECT_EQ(sheet.cell(38, 3), CellValue{std::string("23-24")});
    EXPECT_EQ(sheet.cell(39, 3), CellValue{});
    EXPECT_EQ(sheet.cell(15, 5), CellValue{std::string("JAN")});
    EXPECT_EQ(sheet.cell(26, 5), CellValue{std::string("DEC")});
    EXPECT_EQ(sheet.cell(27, 5), CellValue{});
    for (int r = 15; r <= 38; ++r)
        EXPECT_EQ(sheet.cell(r, 4), CellValue{0.0}) << "D" << r;
    for (int r = 15; r <= 26; ++r)
        EXPECT_EQ(sheet.cell(r, 6), CellValue{0.0}) << "F" << r;
}

TEST(ChartWorkbook, StoredChartShowsTheWeekdayColumns)
{
    ChartWorkbook book;
    const Chart& chart = book.ActiveSheet().ChartObjects(1).Chart;
    ASSERT_TRUE(chart.sourceData().has_value());
    EXPECT_EQ(chart.sourceData()->address().text(), "A15:B21");
    const ChartSeriesData data = chart.seriesData();
    EXPECT_EQ(data.categories, (std::vector<std::string>{"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"}));
    EXPECT_EQ(data.values, (std::vector<double>{0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07}));
    EXPECT_THROW(book.ActiveSheet().ChartObjects(2), std::out_of_range);
    EXPECT_THROW(book.ActiveSheet().ChartObjects(0), std::out_of_range);
}

TEST(ChartWorkbook, TransposeTurnsARowIntoAColumn)
{
    ChartApplication app;
    const CellGrid column = app.Transpose({1.5, 0, 98.5});
    ASSERT_EQ(column.size(), 3u);
    for (const auto& row : column)
        EXPECT_EQ(row.size(), 1u);
    EXPECT_EQ(column[0][0], CellValue{1.5});
    EXPECT_EQ(column[2][0], CellValue{98.5});
    EXPECT_TRUE(app.Transpose({}).empty());
}

TEST(ChartWorkbook, RangeWritesAColumnInOneOperationWhateverTheCase)
{
    ChartWorkbook book;
    ChartSheet& sheet = book.ActiveSheet();
    sheet.Range("d15:d17").setValue(book.Parent().Transpose({10, 20, 30}));
    EXPECT_EQ(sheet.Range("D15:D18").Value(),
              (CellGrid{{CellValue{10.0}}, {CellValue{20.0}}, {CellValue{30.0}}, {CellValue{0.0}}}));
    sheet.Range("G1").setValue(CellValue{std::string("text")});
    EXPECT_EQ(sheet.cell(1, 7), CellValue{std::string("text")});
    sheet.Range("G1").setValue(CellValue{});
    EXPECT_EQ(sheet.cell(1, 7), CellValue{});
    EXPECT_THROW(sheet.Range("not a range"), std::invalid_argument);
}

TEST(ChartWorkbook, ASmallerArrayLeavesNotAvailableInTheRestOfTheRange)
{
    ChartWorkbook book;
    ChartSheet& sheet = book.ActiveSheet();
    sheet.Range("F15:F26").setValue(book.Parent().Transpose({5, 6}));
    EXPECT_EQ(sheet.cell(16, 6), CellValue{6.0});
    EXPECT_EQ(sheet.cell(17, 6), CellValue{std::string("#N/A")});
    EXPECT_EQ(sheet.cell(26, 6), CellValue{std::string("#N/A")});
    EXPECT_EQ(cellNumber(sheet.cell(17, 6)), 0.0);
}

TEST(ChartWorkbook, ObserverHearsOfChangesInTheBoundRangeOnly)
{
    ChartWorkbook book;
    ChartSheet& sheet = book.ActiveSheet();
    Chart& chart = sheet.ChartObjects(1).Chart;
    int notified = 0;
    chart.setChangeObserver([&] { ++notified; });

    sheet.Range("D15:D38").setValue(CellValue{7.0});
    EXPECT_EQ(notified, 0) << "hour values lie outside the bound weekday range";
    sheet.Range("B15:B21").setValue(book.Parent().Transpose({0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07}));
    EXPECT_EQ(notified, 0) << "the same values again change nothing";
    sheet.Range("B15:C15").setValue(CellGrid{{CellValue{50.0}, CellValue{std::string("x")}}});
    EXPECT_EQ(notified, 1);
    book.Sheets("Sheet2").Range("B15").setValue(CellValue{1.0});
    EXPECT_EQ(notified, 1) << "another sheet's cells are not the chart's";

    chart.SetSourceData(sheet.Range("C15:D38"));
    EXPECT_EQ(notified, 2) << "rebinding is a change";
    EXPECT_EQ(chart.seriesData().values.front(), 7.0);
    sheet.Range("D38").setValue(CellValue{1.0});
    EXPECT_EQ(notified, 3);
}

TEST(ChartWorkbook, CellTextAndNumberAsTheChartReadsThem)
{
    EXPECT_EQ(cellText(CellValue{}), "");
    EXPECT_EQ(cellText(CellValue{2024.0}), "2024");
    EXPECT_EQ(cellText(CellValue{0.07 * 100}), "7") << "at most 15 significant digits";
    EXPECT_EQ(cellText(CellValue{std::string("MON")}), "MON");
    EXPECT_EQ(cellNumber(CellValue{33.5}), 33.5);
    EXPECT_EQ(cellNumber(CellValue{std::string("12")}), 0.0);
}

} // namespace
} // namespace brisk::chart
