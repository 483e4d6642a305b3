// The export's error rule, with hand-made templates that lack a sheet or a
// label: up to the first weekday median a failing write shows the generic
// message and the export goes on; from there on it is skipped silently.

#include "export/ResultsFill.h"
#include "tests/export/export_Support.h"

namespace brisk::test {
namespace {

// Copies the zip `src` to `dst` with the regular expression argv[3] replaced
// by argv[4] in xl/workbook.xml; fails when it matches nothing.
constexpr const char* kEditWorkbookXml = R"(import re, sys, zipfile
src, dst, pattern, replacement = sys.argv[1:]
with zipfile.ZipFile(src) as a, zipfile.ZipFile(dst, "w") as b:
    for entry in a.infolist():
        data = a.read(entry)
        if entry.filename == "xl/workbook.xml":
            data, n = re.subn(pattern.encode(), replacement.encode(), data)
            if n == 0:
                sys.exit("the template's workbook.xml has no " + pattern)
        b.writestr(entry, data)
)";

const std::string kGeneric = "BRISK Vezoriv Rizovave: Error in ExportButton: lEmailsProcessed = 10";
using HandMadeTemplate = ExportFixture;

TEST_F(HandMadeTemplate, EachFailingWriteBeforeTheMediansShowsTheMessageAndTheExportCompletes)
{
    // What is wrong, the pattern replaced in workbook.xml and by what, the
    // messages shown and what the saved file holds.
    const std::tuple<const char*, std::string, std::string, std::size_t, CellTable> cases[] = {
        {"a label missing", "<definedName name=\"OutputMailboxLabel\">[^<]*</definedName>", "", 1,
         {{"Summary!C5", ""}, {"label:OutputUsernameLabel", kUserName}, {"DetailedResults!H3", 1.5}}},
        // The labels still point at "Summary": twenty writes fail, the user
        // name label taking "Anonymous" and then the name.
        {"Summary renamed", "<sheet name=\"Summary\"", "<sheet name=\"Overview\"", 20,
         {{"DetailedResults!B10", 10}, {"DetailedResults!H10", 1.5}, {"DetailedResults!B15", "Alice"}}},
        {"DetailedResults renamed", "<sheet name=\"DetailedResults\"", "<sheet name=\"Details\"", 1,
         {{"label:OutputValidEmailsCountLabel", 10}, {"Details!B10", ""}}},
        {"no Insights sheet", "<sheet name=\"Insights\"", "<sheet name=\"Notes\"", 0,
         {{"DetailedResults!B10", 10}, {"Notes!B5", ""}, {"Notes!B29", ""}}}};
    for (const auto& [what, pattern, with, messages, cells] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove(appTemplate());
        runPython(kEditWorkbookXml, {builtTemplatePath().string(), appTemplate().string(), pattern, with});
        prompts.shown.clear();
        analyse(knownFolder());
        const auto saved = exportNow();
        EXPECT_EQ(prompts.texts(), std::vector<std::string>(messages, kGeneric));
        for (const auto& shown : prompts.shown)
            EXPECT_EQ(shown.title, "Brisk Vezoriv Rireviru");
        ASSERT_TRUE(saved);
        EXPECT_EQ(desktop.files.back(), *saved);
        expectCells(*saved, cells);
        clock.advanceSeconds(1);
    }
}

TEST_F(HandMadeTemplate, NoResponseTimeAtAllLeavesTheOverallMediansSilently)
{
    analyse(store.top().add("Sent Items").addItems(3));
    ASSERT_EQ(app.analysis.lResponseCount, 0);
    const auto saved = exportNow();
    EXPECT_TRUE(prompts.shown.empty()) << ::testing::PrintToString(prompts.texts());
    ASSERT_TRUE(saved);
    // The overall medians keep the template's (empty) cells; 15 June 2011 is
    // a Wednesday with e-mails but no response; Insights says "no data", and
    // counts a Wednesday's 09:00, 10:00 and 11:00 in working time.
    expectCells(*saved, {{"DetailedResults!H10", ""}, {"DetailedResults!R27", ""}, {"DetailedResults!AB15", ""},
                            {"DetailedResults!H5", "no data"}, {"Insights!B15", "no data"}, {"Insights!C15", ""},
                            {"Insights!B18", "no data"}, {"Insights!B19", 0}, {"Insights!B22", "no data"},
                            {"Insights!B24", "no data"}, {"Insights!B29", 1}});
}

TEST(BucketMedian, OnlyTheBucketsResponseTimesInHours)
{
    // The items' keys, minutes (-1 fills a slot without a response) and
    // responded flags, the key asked for and its median.
    using Case = std::tuple<std::vector<std::int8_t>, std::vector<std::int32_t>, std::vector<bool>, int,
                            std::optional<double>>;
    const Case cases[] = {{{1, 1, 1, 1, 2}, {150, 30, 210, 90, 600}, {true, true, true, true, true}, 1, 2.0},
                          {{1, 1, 1}, {-1, -1, 60}, {false, false, true}, 1, 1.0},
                          {{1}, {-1}, {true}, 1, -1.0 / 60}, // a real -1 minute counts
                          {{4, 1}, {-1, 30}, {false, true}, 4, std::nullopt}};
    for (const auto& [keys, minutes, responded, key, hours] : cases) {
        PerItemArrays items;
        std::tie(items.vItemResponseMinutes, items.responded) = std::tie(minutes, responded);
        EXPECT_EQ(bucketMedianHours(items, keys, key), hours) << keys.size();
    }
}

} // namespace
} // namespace brisk::test
