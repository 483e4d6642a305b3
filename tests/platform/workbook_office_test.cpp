// A filled copy of the results template, opened by LibreOffice Calc: it must
// load, show the written values and recompute the template's formulas. Runs
// only where LibreOffice is installed (scripts/install-deps --office).

#include "platform/workbook/Workbook.h"
#include "tests/platform/workbook_support.h"
#include "tests/support/OfficeTools.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>


namespace brisk::test {
namespace {

TEST(WorkbookOffice, LibreOfficeLoadsTheFilledCopyAndRecalculates)
{
    const auto office = findOffice();
    if (office.empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; scripts/install-deps --office installs it";
    ASSERT_TRUE(std::filesystem::exists(resultsTemplatePath())) << resultsTemplatePath() << " is missing";
    TempDir dir;
    auto book = Workbook::open(resultsTemplatePath());
    Worksheet& detailed = book->sheet("DetailedResults");
    detailed.setRange("B3:B9", {3.0, 1.0, 0.0, 2.0, 5.0, 0.0, 1.0});
    detailed.setRange("C3:C9", {0.25, 1.0 / 12, 0.0, 1.0 / 6, 5.0 / 12, 0.0, 1.0 / 12});
    detailed.setCell("B10", 12.0);
    detailed.setCell("H3", std::string("no data"));
    detailed.setCell("B15", std::string("=1+1"));
    book->setLabel("OutputUsernameLabel", std::string("Jane Doe"));
    const auto copy = dir / "results.xlsm";
    book->saveCopyAs(copy);

    ASSERT_TRUE(officeConvert(office, copy, kCsvEverySheet, dir.path()));
    // LibreOffice exits 0 even when it cannot load a file: the output tells.
    const auto summaryCsv = dir / "results-Summary.csv";
    const auto detailedCsv = dir / "results-DetailedResults.csv";
    ASSERT_TRUE(std::filesystem::exists(summaryCsv)) << "LibreOffice did not load the copy";
    ASSERT_TRUE(std::filesystem::exists(detailedCsv));
    const std::string summary = readFile(summaryCsv);
    const std::string details = readFile(detailedCsv);
    EXPECT_NE(summary.find("User name,Jane Doe"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Busiest day of week,Fri"), std::string::npos) << "formulas recomputed:\n" << summary;
    EXPECT_NE(details.find("Mon,3,25%,,,,,no data"), std::string::npos) << details;
    EXPECT_NE(details.find("Total,12"), std::string::npos) << details;
    EXPECT_NE(details.find("no data"), std::string::npos) << details;
    EXPECT_NE(details.find("=1+1"), std::string::npos) << "a text stays a text:\n" << details;
}

} // namespace
} // namespace brisk::test
