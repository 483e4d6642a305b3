// The Insights sheet of an export of the known store, read back by openpyxl:
// every cell of the weekday by hour map, the percentiles in minutes and in
// hours and minutes, the shares, the working time used and the sheet's
// colour scale and number formats.

#include "engine/WorkingTime.h"
#include "tests/export/export_Support.h"

namespace brisk::test {
namespace {

std::string insightsCell(char column, int row)
{
    return "Insights!" + std::string(1, column) + std::to_string(row);
}

std::vector<std::string> insightsQueries()
{
    std::vector<std::string> q = {"cf:Insights", "fmt:Insights!B22", "fmt:Insights!B29", "fmt:Insights!C5"};
    for (int row = 5; row <= 11; ++row)
        for (char column = 'B'; column <= 'Y'; ++column)
            q.push_back(insightsCell(column, row));
    for (int row = 15; row <= 29; ++row)
        for (char column : {'A', 'B', 'C', 'D'})
            q.push_back(insightsCell(column, row));
    return q;
}

class ExportedInsights : public ExportFixture {
protected:
    std::map<std::string, ReadValue> exportAndRead()
    {
        const auto saved = exportNow();
        EXPECT_TRUE(saved) << ::testing::PrintToString(prompts.texts());
        EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
        return readBack(saved.value_or(std::filesystem::path()), insightsQueries());
    }
    static void expectNumber(const std::map<std::string, ReadValue>& v, const std::string& cell, double expected)
    {
        ASSERT_TRUE(v.at(cell).isNumber()) << cell << " holds " << v.at(cell).type << " '" << v.at(cell).text << "'";
        EXPECT_NEAR(v.at(cell).number(), expected, 1e-12) << cell;
    }
};

TEST_F(ExportedInsights, MapPercentilesSharesAndWorkingTimeOfTheKnownItems)
{
    analyse(knownFolder());
    const auto v = exportAndRead();
    // The map from the hand-written weekday and hour of each known item.
    int expected[7][24] = {};
    for (const KnownItem& k : knownItems())
        ++expected[k.weekday - 1][k.hour];
    for (int w = 0; w < 7; ++w)
        for (int hour = 0; hour < 24; ++hour)
            expectNumber(v, insightsCell(static_cast<char>('B' + hour), 5 + w), expected[w][hour]);
    // Response times 30 30 90 90 150 150 210: ranks 2, 4, 6 and 7.
    const int percentiles[] = {30, 90, 150, 210};
    for (int i = 0; i < 4; ++i) {
        expectNumber(v, insightsCell('B', 15 + i), percentiles[i]);
        expectNumber(v, insightsCell('C', 15 + i), percentiles[i] / 60);
        expectNumber(v, insightsCell('D', 15 + i), 30);
    }
    EXPECT_EQ(v.at(insightsCell('A', 16)).text, "50th (median)");
    expectNumber(v, insightsCell('B', 19), 7);
    expectNumber(v, insightsCell('B', 22), 2.0 / 7);
    expectNumber(v, insightsCell('B', 23), 1);
    expectNumber(v, insightsCell('B', 24), 1);
    EXPECT_EQ(v.at(insightsCell('B', 27)).text, "Mon-Fri");
    EXPECT_EQ(v.at(insightsCell('B', 28)).text, "09:00-18:00");
    // Monday 9, 11, 14 and Tuesday 9, 10, 14 o'clock of ten items.
    expectNumber(v, insightsCell('B', 29), 0.6);
    EXPECT_EQ(v.at("cf:Insights").text, "B5:Y11 colorScale");
    EXPECT_EQ(v.at("fmt:Insights!B22").text, "0.0%");
    EXPECT_EQ(v.at("fmt:Insights!B29").text, "0.0%");
    EXPECT_EQ(v.at("fmt:Insights!C5").text, "0");

    // Other working time: the sheet says which, and the share follows it.
    app.settings.workingTime = *parseWorkingTime("Sun-Thu", "08:00-17:00");
    clock.advanceSeconds(1);
    const auto other = exportAndRead();
    EXPECT_EQ(other.at(insightsCell('B', 27)).text, "Mon-Thu, Sun");
    EXPECT_EQ(other.at(insightsCell('B', 28)).text, "08:00-17:00");
    expectNumber(other, insightsCell('B', 29), 0.7); // and Sunday 16:20
    expectNumber(other, insightsCell('B', 15), 30);
}

} // namespace
} // namespace brisk::test
