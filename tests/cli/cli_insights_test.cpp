// The insights of brisk-cli over the sample store: the JSON map must add up
// to the run's weekday and hour counts, its working-time share must follow
// from the map, the reply figures must be ordered; the plain output draws
// the map as a grid. An empty folder gives nulls, not zeros.

#include "shell/Cli.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace {

using nlohmann::json;

json runJson(const std::vector<std::string>& args, std::string* text = nullptr)
{
    std::ostringstream out, err;
    const int status = brisk::runCli(args, out, err);
    EXPECT_EQ(status, 0) << err.str();
    if (text) {
        *text = out.str();
        return {};
    }
    return json::parse(out.str());
}

TEST(CliInsights, MapSharesAndPercentilesOfTheSampleStore)
{
    const auto store = brisk::test::sampleStoreDir();
    ASSERT_TRUE(std::filesystem::exists(store / ".complete")) << "build the sample_store target";
    const json j = runJson({"--json", store.string()});
    const json& in = j.at("insights");
    const json& map = in.at("heatmap");
    ASSERT_EQ(map.size(), 7u);
    long all = 0, working = 0;
    std::vector<long> hours(24, 0);
    for (std::size_t w = 0; w < 7; ++w) {
        ASSERT_EQ(map[w].size(), 24u);
        long row = 0;
        for (std::size_t h = 0; h < 24; ++h) {
            const long count = map[w][h].get<long>();
            row += count;
            hours[h] += count;
            working += w < 5 && h >= 9 && h < 18 ? count : 0;
        }
        EXPECT_EQ(row, j.at("vWeekdayCount")[w].get<long>()) << "weekday " << w;
        all += row;
    }
    for (std::size_t h = 0; h < 24; ++h)
        EXPECT_EQ(hours[h], j.at("vHourCount")[h].get<long>()) << "hour " << h;
    EXPECT_EQ(all, j.at("lEmailsAnalysed").get<long>());
    EXPECT_DOUBLE_EQ(in.at("workingHoursShare").get<double>(), static_cast<double>(working) / all);
    EXPECT_EQ(in.at("workingDays"), "Mon-Fri");
    EXPECT_EQ(in.at("workingHours"), "09:00-18:00");

    const json& p = in.at("responsePercentiles");
    EXPECT_LE(p.at("p25").get<long>(), p.at("p50").get<long>());
    EXPECT_LE(p.at("p50").get<long>(), p.at("p75").get<long>());
    EXPECT_LE(p.at("p75").get<long>(), p.at("p90").get<long>());
    EXPECT_LT(p.at("p25").get<long>(), p.at("p90").get<long>()) << "the sample's replies take varied times";
    const json& a = in.at("answeredWithin");
    EXPECT_GT(a.at("hour").get<double>(), 0);
    EXPECT_LE(a.at("hour").get<double>(), a.at("day").get<double>());
    EXPECT_LE(a.at("day").get<double>(), a.at("week").get<double>());
    EXPECT_LE(a.at("week").get<double>(), 1);

    std::string text;
    runJson({store.string()}, &text);
    const auto grid = text.find("\nWeekday by hour\n        0     6     12    18\n  MON   ");
    ASSERT_NE(grid, std::string::npos) << text;
    for (const char* day : {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"}) {
        const auto at = text.find(std::string("\n  ") + day + "   ", grid);
        ASSERT_NE(at, std::string::npos) << day;
        EXPECT_EQ(text.find('\n', at + 1) - at - 9, 24u) << day << ": one shade per hour";
    }
    EXPECT_NE(text.find('@', grid), std::string::npos) << "the busiest hour is drawn darkest";
    EXPECT_NE(text.find("\nAnswered within    an hour "), std::string::npos);
    EXPECT_NE(text.find(" (Mon-Fri 09:00-18:00)\n"), std::string::npos);
}

TEST(CliInsights, EmptyFolderGivesNullFiguresAndAnEmptyMap)
{
    brisk::test::TempDir dir;
    for (const char* sub : {"cur", "new", "tmp"})
        std::filesystem::create_directories(dir / "Sent Items" / sub);
    const json in = runJson({"--json", dir.path().string()}).at("insights");
    EXPECT_EQ(in.at("heatmap"), json(std::vector<std::vector<int>>(7, std::vector<int>(24, 0))));
    for (const char* key : {"responsePercentiles", "answeredWithin", "workingHoursShare"})
        EXPECT_TRUE(in.at(key).is_null()) << key;
}

} // namespace
