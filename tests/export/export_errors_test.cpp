// The export's two error modes: up to the first weekday median a failing
// write shows the generic message and the export goes on; from there on it
// is skipped silently. Checked with hand-made templates that lack a sheet or
// a label, and on the median routine itself.

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
    void editTemplate(const std::function<std::string(std::string)>& edit)
    {
        std::filesystem::remove(appTemplate());
        copyWithWorkbookXml(builtTemplatePath(), appTemplate(), edit);
    }
    static std::function<std::string(std::string)> replace(const std::string& pattern, const std::string& with)
    {
        return [=](std::string xml) {
            const std::string edited = std::regex_replace(xml, std::regex(pattern), with);
            if (edited == xml)
                throw std::runtime_error("the template's workbook.xml has no " + pattern);
            return edited;
        };
    }
    std::vector<std::string> genericMessages() const
    {
        std::vector<std::string> texts;
        for (const auto& shown : prompts.shown) {
            EXPECT_EQ(shown.title, "Brisk Vezoriv Rireviru") << shown.text;
            texts.push_back(shown.text);
        }
        return texts;
    }
};

TEST_F(HandMadeTemplate, MissingLabelShowsTheGenericMessageOnceAndTheExportCompletes)
{
    editTemplate(replace("<definedName name=\"OutputMailboxLabel\">[^<]*</definedName>", ""));
    analyse(knownFolder());
    const auto saved = exportNow();
    EXPECT_EQ(genericMessages(), std::vector<std::string>{kGeneric});
    ASSERT_TRUE(saved);
    EXPECT_EQ(desktop.files, std::vector<std::filesystem::path>{*saved});
    const auto v = readBack(*saved, {"label:OutputMailboxLabel", "label:OutputUsernameLabel", "Summary!C5",
                                     "DetailedResults!B10", "DetailedResults!H3"});
    EXPECT_EQ(v.at("label:OutputMailboxLabel").type, "missing");
    EXPECT_TRUE(v.at("Summary!C5").isEmpty()) << "the cell keeps the template's content";
    EXPECT_EQ(v.at("label:OutputUsernameLabel").text, kUserName);
    EXPECT_EQ(v.at("DetailedResults!B10").number(), 10);
    EXPECT_EQ(v.at("DetailedResults!H3").number(), 1.5);
}

TEST_F(HandMadeTemplate, MissingSummarySheetShowsTheMessageForEveryLabelWrite)
{
    // The labels still point at "Summary", which is now called otherwise.
    editTemplate(replace("<sheet name=\"Summary\"", "<sheet name=\"Overview\""));
    analyse(knownFolder());
    const auto saved = exportNow();
    // Twenty writes: the user-name label takes "Anonymous", then the name.
    EXPECT_EQ(genericMessages(), std::vector<std::string>(20, kGeneric));
    ASSERT_TRUE(saved);
    const auto v = readBack(*saved, {"DetailedResults!B10", "DetailedResults!H10", "DetailedResults!B15"});
    EXPECT_EQ(v.at("DetailedResults!B10").number(), 10);
    EXPECT_EQ(v.at("DetailedResults!H10").number(), 1.5);
    EXPECT_EQ(v.at("DetailedResults!B15").text, "Alice");
}

TEST_F(HandMadeTemplate, MissingDetailedSheetShowsTheMessageOnceAndKeepsTheSummary)
{
    editTemplate(replace("<sheet name=\"DetailedResults\"", "<sheet name=\"Details\""));
    analyse(knownFolder());
    view.options.anonymous = true;
    const auto saved = exportNow();
    EXPECT_EQ(genericMessages(), std::vector<std::string>{kGeneric});
    ASSERT_TRUE(saved);
    const auto v = readBack(*saved, {"label:OutputUsernameLabel", "label:OutputValidEmailsCountLabel", "Details!B10"});
    EXPECT_EQ(v.at("label:OutputUsernameLabel").text, "Anonymous");
    EXPECT_EQ(v.at("label:OutputValidEmailsCountLabel").number(), 10);
    EXPECT_TRUE(v.at("Details!B10").isEmpty());
}

TEST_F(HandMadeTemplate, TemplateWithoutInsightsIsFilledAsBeforeWithoutAMessage)
{
    editTemplate(replace("<sheet name=\"Insights\"", "<sheet name=\"Notes\""));
    analyse(knownFolder());
    const auto saved = exportNow();
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    ASSERT_TRUE(saved);
    const auto v = readBack(*saved, {"label:OutputValidEmailsCountLabel", "DetailedResults!B10", "DetailedResults!H3",
                                     "DetailedResults!B15", "Notes!B5", "Notes!B15", "Notes!B29"});
    EXPECT_EQ(v.at("label:OutputValidEmailsCountLabel").number(), 10);
    EXPECT_EQ(v.at("DetailedResults!B10").number(), 10);
    EXPECT_EQ(v.at("DetailedResults!H3").number(), 1.5);
    EXPECT_EQ(v.at("DetailedResults!B15").text, "Alice");
    for (const char* cell : {"Notes!B5", "Notes!B15", "Notes!B29"})
        EXPECT_TRUE(v.at(cell).isEmpty()) << cell << " holds " << v.at(cell).text;
}

TEST_F(HandMadeTemplate, NoResponseTimeAtAllLeavesTheOverallMediansSilently)
{
    MemoryFolder& folder = store.top().add("Sent Items").addItems(3);
    analyse(folder);
    ASSERT_EQ(app.analysis.lResponseCount, 0);
    const auto saved = exportNow();
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    ASSERT_TRUE(saved);
    const auto v = readBack(*saved, {"DetailedResults!H10", "DetailedResults!R27", "DetailedResults!AB15",
                                     "DetailedResults!H5", "DetailedResults!B10", "Insights!B15", "Insights!C15",
                                     "Insights!B18", "Insights!B19", "Insights!B22", "Insights!B24",
                                     "Insights!B29"});
    for (const char* overall : {"DetailedResults!H10", "DetailedResults!R27", "DetailedResults!AB15"})
        EXPECT_TRUE(v.at(overall).isEmpty()) << overall << " keeps the template's content, not " << v.at(overall).text;
    EXPECT_EQ(v.at("DetailedResults!H5").text, "no data"); // 15 June 2011: a Wednesday with e-mails
    EXPECT_EQ(v.at("DetailedResults!B10").number(), 3);
    // The Insights sheet says so instead of showing a figure.
    for (const char* cell : {"Insights!B15", "Insights!B18", "Insights!B22", "Insights!B24"})
        EXPECT_EQ(v.at(cell).text, "no data") << cell;
    EXPECT_TRUE(v.at("Insights!C15").isEmpty());
    EXPECT_EQ(v.at("Insights!B19").number(), 0);
    EXPECT_EQ(v.at("Insights!B29").number(), 1) << "a Wednesday's 09:00, 10:00 and 11:00";
}

TEST(ExportErrorModes, MessagesUntilSilentWithTheCountAtTheTimeOfTheError)
{
    RecordingPrompts prompts;
    std::int32_t processed = 7;
    ExportErrors errors(prompts, processed);
    int ran = 0;
    errors.step([&] { ++ran; });
    errors.step([&] { throw std::runtime_error("first"); });
    processed = 8;
    errors.step([&] { throw std::out_of_range("second"); });
    EXPECT_FALSE(errors.silent());
    errors.goSilent();
    errors.step([&] { throw std::runtime_error("after"); });
    errors.step([&] { ++ran; });
    EXPECT_TRUE(errors.silent());
    EXPECT_EQ(ran, 2);
    const std::vector<std::string> expected = {
        "BRISK Vezoriv Rizovave: Error in ExportButton: lEmailsProcessed = 7",
        "BRISK Vezoriv Rizovave: Error in ExportButton: lEmailsProcessed = 8",
    };
    EXPECT_EQ(prompts.texts(), expected);
    for (const auto& shown : prompts.shown)
        EXPECT_EQ(shown.title, "Brisk Vezoriv Rireviru");
}

TEST(BucketMedian, OnlyTheBucketsExistingResponseTimesInHours)
{
    struct Response {
        int key;
        std::int32_t minutes;
        bool responded;
    };
    struct Case {
        const char* what;
        std::vector<Response> slots;
        int key;
        std::optional<double> hours;
    };
    const Case cases[] = {
        {"three responses", {{1, 30, true}, {1, 90, true}, {1, 150, true}}, 1, 1.5},
        {"a fourth of 210", {{1, 150, true}, {1, 30, true}, {1, 210, true}, {1, 90, true}}, 1, 2.0},
        {"other buckets ignored", {{2, 600, true}, {1, 30, true}, {3, 1, true}}, 1, 0.5},
        {"slots without response", {{1, -1, false}, {1, -1, false}, {1, 60, true}}, 1, 1.0},
        {"a real -1 minute counts", {{1, -1, true}}, 1, -1.0 / 60},
        {"e-mails, no response", {{4, -1, false}, {4, -1, false}}, 4, std::nullopt},
        {"no e-mail at all", {{1, 30, true}}, 7, std::nullopt},
        {"no slots", {}, 1, std::nullopt},
    };
    for (const Case& c : cases) {
        PerItemArrays items;
        std::vector<std::int8_t> keys;
        for (const Response& r : c.slots) {
            keys.push_back(static_cast<std::int8_t>(r.key));
            items.vItemResponseMinutes.push_back(r.minutes);
            items.responded.push_back(r.responded);
        }
        const auto got = bucketMedianHours(items, keys, c.key);
        ASSERT_EQ(got.has_value(), c.hours.has_value()) << c.what;
        if (got) {
            EXPECT_NEAR(*got, *c.hours, 1e-12) << c.what;
        }
    }
}

} // namespace
} // namespace brisk::test
