// A results file opened by LibreOffice Calc: it must load and show the
// exported values, and the template's formulas must see them; the Insights
// sheet's colour scale must survive LibreOffice saving the file. Runs only
// where LibreOffice is installed (scripts/install-deps --office).

#include "tests/export/export_Support.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

class ExportOffice : public ExportFixture {};

void expectLines(const std::filesystem::path& csv, const std::vector<std::string>& lines)
{
    ASSERT_TRUE(std::filesystem::exists(csv)) << "LibreOffice did not load the file";
    const std::string text = readFile(csv);
    for (const std::string& line : lines)
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST_F(ExportOffice, LibreOfficeShowsTheExportedValues)
{
    const auto office = findOffice();
    if (office.empty())
        GTEST_SKIP() << "soffice is not installed; scripts/install-deps --office installs LibreOffice";
    analyse(knownFolder());
    const auto saved = exportNow();
    ASSERT_TRUE(saved) << ::testing::PrintToString(prompts.texts());
    // A plain name: LibreOffice names each sheet's CSV after the file.
    const auto copy = dir / "results.xlsm";
    std::filesystem::copy_file(*saved, copy);
    ASSERT_TRUE(officeConvert(office, copy, kCsvEverySheet, dir / "csv"));
    expectLines(dir / "csv" / "results-Summary.csv",
                {std::string(",User name,") + kUserName + "\n", ",Analysed folder,Sent Items\n",
                 ",Analysis date,05-12-26 14:07:09\n", ",Valid e-mails analysed,10\n", ",Period to,18/12/11\n",
                 ",Median response time (minutes),30\n",
                 // Formulas of the template, recomputed from the exported counts.
                 ",Busiest day of week,Tue\n", ",Busiest month,Jun\n"});
    expectLines(dir / "csv" / "results-DetailedResults.csv",
                {"Mon,3,30%,66.6666666666667%,33.3333333333333%,1.33333333333333,3.33333333333333,1.5,",
                 "Thu,0,0%,0%,0%,0,0,no data,", "Total,10,100%,50%,40%,1.5,3.4,1.5,", "1,Alice,4,40%,,Bob,4,40%,",
                 "3,J\xC3\xBCrgen M\xC3\xBCller,2,20%,,Eve,2,20%,", "4,=1+1,1,10%,,,,,",
                 "Dec,2,20%,50%,50%,2,5,no data\n"});
    expectLines(dir / "csv" / "results-Insights.csv",
                {"\nTue,0,0,0,0,0,0,0,0,0,1,1,0,0,0,1,0,0,0,0,0,0,0,0,1\n", "\n50th (median),90,1,30,",
                 "\n60 minutes,28.5714285714286%,", "\nE-mails in working time,60%,"});

    // LibreOffice keeps the map's colour scale when it saves the workbook.
    ASSERT_TRUE(officeConvert(office, copy, "xlsx", dir / "xlsx"));
    const auto v = readWorkbook(dir / "xlsx" / "results.xlsx", {"cf:Insights", "Insights!B22"});
    EXPECT_EQ(v.at("cf:Insights").text, "B5:Y11 colorScale");
    EXPECT_NEAR(v.at("Insights!B22").number(), 2.0 / 7, 1e-12);
}

} // namespace
} // namespace brisk::test
