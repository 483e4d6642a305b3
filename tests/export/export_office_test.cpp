// A results file opened by LibreOffice Calc: it must load and show the
// exported values, and the template's formulas must see them; the Insights
// sheet's colour scale must survive LibreOffice saving the file. Runs only
// where LibreOffice is installed (scripts/install-deps --office).

#include "tests/export/export_Support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace brisk::test {
namespace {

// The first soffice on PATH, or an empty path.
std::filesystem::path officeOnPath()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const auto candidate = std::filesystem::path(folder.empty() ? "." : folder) / "soffice";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

class ExportOffice : public ExportFixture {};

TEST_F(ExportOffice, LibreOfficeShowsTheExportedValues)
{
    const auto office = officeOnPath();
    if (office.empty())
        GTEST_SKIP() << "soffice is not on PATH; scripts/install-deps --office installs LibreOffice";
    analyse(knownFolder());
    const auto saved = exportNow();
    ASSERT_TRUE(saved) << ::testing::PrintToString(prompts.texts());
    // A plain name: LibreOffice names each sheet's CSV after the file.
    const auto copy = dir / "results.xlsm";
    std::filesystem::copy_file(*saved, copy);
    const auto out = dir / "csv";
    const std::string command =
        shellQuote(office.string()) + " --headless --norestore -env:UserInstallation=file://" +
        (dir / "profile").string() +
        " --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1' --outdir " +
        shellQuote(out.string()) + " " + shellQuote(copy.string()) + " >/dev/null 2>&1";
    ASSERT_EQ(runCommand(command), 0) << command;
    // LibreOffice exits 0 even when it could not load the file: the output tells.
    ASSERT_TRUE(std::filesystem::exists(out / "results-Summary.csv")) << "LibreOffice did not load " << *saved;
    ASSERT_TRUE(std::filesystem::exists(out / "results-DetailedResults.csv"));
    const std::string summary = readFile(out / "results-Summary.csv");
    const std::string details = readFile(out / "results-DetailedResults.csv");
    for (const std::string& line : {std::string(",User name,") + kUserName + "\n",
                                    std::string(",Analysed folder,Sent Items\n"),
                                    std::string(",Analysis date,05-12-26 14:07:09\n"),
                                    std::string(",Valid e-mails analysed,10\n"), std::string(",Period to,18/12/11\n"),
                                    std::string(",Median response time (minutes),30\n"),
                                    // Formulas of the template, recomputed from the exported counts.
                                    std::string(",Busiest day of week,Tue\n"), std::string(",Busiest month,Jun\n")})
        EXPECT_NE(summary.find(line), std::string::npos) << line << "in\n" << summary;
    for (const char* line : {
             "Mon,3,30%,66.6666666666667%,33.3333333333333%,1.33333333333333,3.33333333333333,1.5,",
             "Tue,4,40%,50%,50%,1.75,3.25,2,",
             "Wed,1,10%,0%,0%,0,1,no data,",
             "Thu,0,0%,0%,0%,0,0,no data,",
             "Total,10,100%,50%,40%,1.5,3.4,1.5,",
             "1,Alice,4,40%,,Bob,4,40%,",
             "3,J\xC3\xBCrgen M\xC3\xBCller,2,20%,,Eve,2,20%,",
             "4,=1+1,1,10%,,,,,",
             "Dec,2,20%,50%,50%,2,5,no data\n",
         })
        EXPECT_NE(details.find(line), std::string::npos) << line << " in\n" << details;

    // The Insights sheet as LibreOffice shows it: the map, the percentiles,
    // the shares as percentages and the working time.
    ASSERT_TRUE(std::filesystem::exists(out / "results-Insights.csv"));
    const std::string insights = readFile(out / "results-Insights.csv");
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int w = 1; w <= 7; ++w) {
        std::string line = std::string(days[w - 1]);
        for (int hour = 0; hour < 24; ++hour) {
            int count = 0;
            for (const KnownItem& k : knownItems())
                count += k.weekday == w && k.hour == hour ? 1 : 0;
            line += "," + std::to_string(count);
        }
        EXPECT_NE(insights.find(line + "\n"), std::string::npos) << line << " in\n" << insights;
    }
    for (const char* line : {"\n25th,30,0,30,", "\n50th (median),90,1,30,", "\n90th,210,3,30,",
                             "\nResponse times counted,7,", "\n60 minutes,28.5714285714286%,", "\n7 days,100%,",
                             "\nWorking days,Mon-Fri,", "\nWorking hours,09:00-18:00,",
                             "\nE-mails in working time,60%,"})
        EXPECT_NE(insights.find(line), std::string::npos) << line << " in\n" << insights;

    // LibreOffice keeps the map's colour scale when it saves the workbook.
    const std::string resave = shellQuote(office.string()) + " --headless --norestore -env:UserInstallation=file://" +
                               (dir / "profile").string() + " --convert-to xlsx --outdir " +
                               shellQuote((dir / "xlsx").string()) + " " + shellQuote(copy.string()) +
                               " >/dev/null 2>&1";
    ASSERT_EQ(runCommand(resave), 0) << resave;
    const auto v = readBack(dir / "xlsx" / "results.xlsx", {"cf:Insights", "Insights!B22"});
    EXPECT_EQ(v.at("cf:Insights").text, "B5:Y11 colorScale");
    EXPECT_NEAR(v.at("Insights!B22").number(), 2.0 / 7, 1e-12);
}

} // namespace
} // namespace brisk::test
