// The export's error rule, with hand-made templates that lack a sheet or a
// label: up to the first weekday median a failing write shows the generic
// message and the export goes on; from there on it is skipped silently.

#include "export/ResultsFill.h"
#include "tests/export/export_Support.h"

#include <gtest/gtest.h>

#include <regex>

namespace brisk::test {
namespace {

const std::string kGeneric = "BRISK Vezoriv Rizovave: Error in ExportButton: lEmailsProcessed = 10";

class HandMadeTemplate : public ExportFixture {
protected:
    // Replaces the application folder's template with an edited copy.
    void editTemplate(const std::string& pattern, const std::string& with)
    {
        std::filesystem::remove(appTemplate());
        copyWithWorkbookXml(builtTemplatePath(), appTemplate(), [&](std::string xml) {
            const std::string edited = std::regex_replace(xml, std::regex(pattern), with);
            if (edited == xml)
                throw std::runtime_error("the template's workbook.xml has no " + pattern);
            return edited;
        });
    }
};

TEST_F(HandMadeTemplate, EachFailingWriteBeforeTheMediansShowsTheMessageAndTheExportCompletes)
{
    const struct {
        const char* what;
        std::string pattern, with;
        std::size_t messages;
        std::map<std::string, std::string> cells; // what the saved file holds; "" for an empty cell
    } cases[] = {
        {"a label missing", "<definedName name=\"OutputMailboxLabel\">[^<]*</definedName>", "", 1,
         {{"Summary!C5", ""}, {"label:OutputUsernameLabel", kUserName}, {"DetailedResults!H3", "1.5"}}},
        // The labels still point at "Summary": twenty writes fail, the user
        // name label taking "Anonymous" and then the name.
        {"Summary renamed", "<sheet name=\"Summary\"", "<sheet name=\"Overview\"", 20,
         {{"DetailedResults!B10", "10"}, {"DetailedResults!H10", "1.5"}, {"DetailedResults!B15", "Alice"}}},
        {"DetailedResults renamed", "<sheet name=\"DetailedResults\"", "<sheet name=\"Details\"", 1,
         {{"label:OutputValidEmailsCountLabel", "10"}, {"Details!B10", ""}}},
        {"no Insights sheet", "<sheet name=\"Insights\"", "<sheet name=\"Notes\"", 0,
         {{"DetailedResults!B10", "10"}, {"Notes!B5", ""}, {"Notes!B29", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editTemplate(c.pattern, c.with);
        prompts.shown.clear();
        analyse(knownFolder());
        const auto saved = exportNow();
        EXPECT_EQ(prompts.texts(), std::vector<std::string>(c.messages, kGeneric));
        for (const auto& shown : prompts.shown)
            EXPECT_EQ(shown.title, "Brisk Vezoriv Rireviru");
        ASSERT_TRUE(saved);
        EXPECT_EQ(desktop.files.back(), *saved);
        std::vector<std::string> queries;
        for (const auto& [cell, text] : c.cells)
            queries.push_back(cell);
        const auto v = readWorkbook(*saved, queries);
        for (const auto& [cell, text] : c.cells) {
            if (v.at(cell).isNumber())
                EXPECT_EQ(v.at(cell).number(), std::stod(text)) << cell;
            else
                EXPECT_EQ(v.at(cell).text, text) << cell;
        }
        clock.advanceSeconds(1);
    }
}

TEST_F(HandMadeTemplate, NoResponseTimeAtAllLeavesTheOverallMediansSilently)
{
    MemoryFolder& folder = store.top().add("Sent Items").addItems(3);
    analyse(folder);
    ASSERT_EQ(app.analysis.lResponseCount, 0);
    const auto saved = exportNow();
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    ASSERT_TRUE(saved);
    const auto v = readWorkbook(*saved, {"DetailedResults!H10", "DetailedResults!R27", "DetailedResults!AB15",
                                         "DetailedResults!H5", "Insights!B15", "Insights!C15", "Insights!B18",
                                         "Insights!B19", "Insights!B22", "Insights!B24", "Insights!B29"});
    for (const char* overall : {"DetailedResults!H10", "DetailedResults!R27", "DetailedResults!AB15"})
        EXPECT_TRUE(v.at(overall).isEmpty()) << overall << " keeps the template's content, not " << v.at(overall).text;
    EXPECT_EQ(v.at("DetailedResults!H5").text, "no data"); // 15 June 2011: a Wednesday with e-mails
    // The Insights sheet says so instead of showing a figure.
    for (const char* cell : {"Insights!B15", "Insights!B18", "Insights!B22", "Insights!B24"})
        EXPECT_EQ(v.at(cell).text, "no data") << cell;
    EXPECT_TRUE(v.at("Insights!C15").isEmpty());
    EXPECT_EQ(v.at("Insights!B19").number(), 0);
    EXPECT_EQ(v.at("Insights!B29").number(), 1) << "a Wednesday's 09:00, 10:00 and 11:00";
}

TEST(BucketMedian, OnlyTheBucketsResponseTimesInHours)
{
    struct Slot {
        int key;
        std::int32_t minutes;
        bool responded;
    };
    const struct {
        std::vector<Slot> slots;
        int key;
        std::optional<double> hours;
    } cases[] = {
        {{{1, 150, true}, {1, 30, true}, {1, 210, true}, {1, 90, true}, {2, 600, true}}, 1, 2.0},
        {{{1, -1, false}, {1, -1, false}, {1, 60, true}}, 1, 1.0},
        {{{1, -1, true}}, 1, -1.0 / 60}, // a real -1 minute counts
        {{{4, -1, false}, {1, 30, true}}, 4, std::nullopt},
    };
    for (const auto& c : cases) {
        PerItemArrays items;
        std::vector<std::int8_t> keys;
        for (const Slot& r : c.slots) {
            keys.push_back(static_cast<std::int8_t>(r.key));
            items.vItemResponseMinutes.push_back(r.minutes);
            items.responded.push_back(r.responded);
        }
        EXPECT_EQ(bucketMedianHours(items, keys, c.key), c.hours) << c.slots.size();
    }
}

} // namespace
} // namespace brisk::test
