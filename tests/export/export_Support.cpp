#include "tests/export/export_Support.h"

#include "dates/DateValue.h"

namespace brisk::test {

const std::vector<KnownItem>& knownItems()
{
    const std::string jurgen = "J\xC3\xBCrgen M\xC3\xBCller";
    static const std::vector<KnownItem> items = {
        {2011, 3, 14, 9, 10, 1, "RE: budget", "14 March 2011 08:40", 30, {"Bob"}, 1, 3, "Alice", 4000},
        {2011, 3, 14, 11, 0, 1, "RE: plan", "14 March 2011 09:30", 90, {"Bob", "Carol"}, 0, 5, "Alice", 2000},
        {2011, 6, 13, 14, 30, 1, "FW: notes", "13 June 2011 12:00", 150, {"Carol"}, 0, 2, "Dave", 2000},
        {2011, 3, 15, 9, 40, 2, "RE: a", "15 March 2011 09:10", 30, {"Bob"}, 2, 1, "Alice", 6000},
        {2011, 6, 14, 10, 30, 2, "RE: b", "14 June 2011 09:00", 90, {"Carol", "Bob"}, 0, 4, "Dave", 2000},
        {2011, 6, 14, 14, 30, 2, "RE: c", "14 June 2011 12:00", 150, {"Eve"}, 0, 6, jurgen, 2000},
        {2011, 6, 14, 23, 30, 2, "RE: d", "14 June 2011 20:00", 210, {"Bob", "Eve", "Carol"}, 1, 2, "=1+1", 2000},
        {2011, 6, 15, 0, 5, 3, "Hello", "", -1, {}, 0, 1, jurgen, 2000},
        {2011, 12, 17, 16, 0, 6, "Status", "", -1, {"Carol", "Bob", "Eve"}, 3, 7, "Alice", 8000},
        {2011, 12, 18, 16, 20, 7, "RE: x", "", -1, {"Eve"}, 0, 3, "Dave", 2000},
    };
    return items;
}

ExportFixture::ExportFixture()
    : appDir(dir / "app"), clock(makeDate(2026, 12, 5, 14, 7, 9)), window(app, prompts, runLog, clock),
      view(window.panel)
{
    std::filesystem::create_directories(appDir);
    std::filesystem::copy_file(builtTemplatePath(), appTemplate());
    app.settings.applicationFolder = appDir;
    app.session.vUserName = kUserName;
}

MemoryFolder& ExportFixture::knownFolder(const std::string& name)
{
    MemoryFolder& folder = store.top().add(name);
    for (const KnownItem& k : knownItems()) {
        // k.words words, then a reply's quoted header block: the own text ends at "From:".
        std::string body;
        for (int w = 1; w <= k.words; ++w)
            body += (w > 1 ? " w" : "w") + std::to_string(w);
        body += "\r\n";
        if (!k.quotedSent.empty())
            body += "From: Someone Else\r\nSent: " + k.quotedSent + "\r\nSubject: earlier\r\n\r\nolder text\r\n";
        folder.addItem({.receivedTime = makeDate(k.year, k.month, k.day, k.hour, k.minute, 0),
                        .subject = k.subject, .body = body, .size = k.size, .attachments = k.attachments,
                        .recipients = k.recipients, .sender = k.sender});
    }
    return folder;
}

void ExportFixture::analyse(MemoryFolder& folder)
{
    app.session.oPickedFolder = &folder;
    window.ResetLabels();
    window.controller().StartButton_Click();
}

std::optional<std::filesystem::path> ExportFixture::exportNow()
{
    ExportContext context{app, view, prompts, desktop, clock, log};
    return runExport(context);
}

std::map<std::string, ReadValue> expectCells(const std::filesystem::path& file, const CellTable& table)
{
    std::vector<std::string> queries;
    for (const auto& row : table)
        queries.push_back(row.first);
    const auto values = readWorkbook(file, queries);
    for (const auto& [query, expected] : table) {
        const ReadValue& v = values.at(query);
        if (!expected.number)
            EXPECT_EQ(v.isNumber() ? "number " + v.text : v.text, expected.text) << query;
        else if (v.isNumber())
            EXPECT_NEAR(v.number(), *expected.number, 1e-9) << query;
        else
            ADD_FAILURE() << query << " holds " << v.type << " '" << v.text << "', not " << *expected.number;
    }
    return values;
}

} // namespace brisk::test
