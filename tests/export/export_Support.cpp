#include "tests/export/export_Support.h"

#include "dates/DateValue.h"

#include <zip.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace brisk::test {
namespace {

const std::string kJurgen = "J\xC3\xBCrgen M\xC3\xBCller";

std::string bodyOf(const KnownItem& k)
{
    std::string body;
    for (int w = 1; w <= k.words; ++w)
        body += (w > 1 ? " w" : "w") + std::to_string(w);
    body += "\r\n";
    // The quoted header block of a reply: the own text ends at "From:".
    if (!k.quotedSent.empty())
        body += "From: Someone Else\r\nSent: " + k.quotedSent + "\r\nSubject: earlier\r\n\r\nolder text here\r\n";
    return body;
}

} // namespace

const std::vector<KnownItem>& knownItems()
{
    static const std::vector<KnownItem> items = {
        {2011, 3, 14, 9, 10, 1, "RE: budget", "14 March 2011 08:40", 30, {"Bob"}, 1, 3, "Alice", 4000},
        {2011, 3, 14, 11, 0, 1, "RE: plan", "14 March 2011 09:30", 90, {"Bob", "Carol"}, 0, 5, "Alice", 2000},
        {2011, 6, 13, 14, 30, 1, "FW: notes", "13 June 2011 12:00", 150, {"Carol"}, 0, 2, "Dave", 2000},
        {2011, 3, 15, 9, 40, 2, "RE: a", "15 March 2011 09:10", 30, {"Bob"}, 2, 1, "Alice", 6000},
        {2011, 6, 14, 10, 30, 2, "RE: b", "14 June 2011 09:00", 90, {"Carol", "Bob"}, 0, 4, "Dave", 2000},
        {2011, 6, 14, 14, 30, 2, "RE: c", "14 June 2011 12:00", 150, {"Eve"}, 0, 6, kJurgen, 2000},
        {2011, 6, 14, 23, 30, 2, "RE: d", "14 June 2011 20:00", 210, {"Bob", "Eve", "Carol"}, 1, 2, "=1+1", 2000},
        {2011, 6, 15, 0, 5, 3, "Hello", "", -1, {}, 0, 1, kJurgen, 2000},
        {2011, 12, 17, 16, 0, 6, "Status", "", -1, {"Carol", "Bob", "Eve"}, 3, 7, "Alice", 8000},
        {2011, 12, 18, 16, 20, 7, "RE: x", "", -1, {"Eve"}, 0, 3, "Dave", 2000},
    };
    return items;
}

MemoryItem toMemoryItem(const KnownItem& k)
{
    MemoryItem item;
    item.receivedTime = makeDate(k.year, k.month, k.day, k.hour, k.minute, 0);
    item.subject = k.subject;
    item.body = bodyOf(k);
    item.size = k.size;
    item.attachments = k.attachments;
    item.recipients = k.recipients;
    item.sender = k.sender;
    return item;
}

std::filesystem::path builtTemplatePath()
{
    return buildDir() / "app" / kTemplateFileName;
}

ExportFixture::ExportFixture()
    : appDir(dir / "app"), clock(makeDate(2026, 12, 5, 14, 7, 9)), window(app, prompts, runLog, clock),
      view(window.panel)
{
    std::filesystem::create_directories(appDir);
    std::error_code ec;
    std::filesystem::copy_file(builtTemplatePath(), appTemplate(), ec);
    app.settings.applicationFolder = appDir;
    app.session.vUserName = kUserName;
}

MemoryFolder& ExportFixture::knownFolder(const std::string& name)
{
    MemoryFolder& folder = store.top().add(name);
    for (const KnownItem& k : knownItems())
        folder.addItem(toMemoryItem(k));
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

void copyWithWorkbookXml(const std::filesystem::path& source, const std::filesystem::path& target,
                         const std::function<std::string(std::string)>& edit)
{
    std::filesystem::copy_file(source, target);
    int code = 0;
    zip_t* archive = zip_open(target.c_str(), 0, &code);
    if (!archive)
        throw std::runtime_error("cannot open " + target.string());
    const zip_int64_t index = zip_name_locate(archive, "xl/workbook.xml", 0);
    zip_stat_t stat;
    zip_file_t* entry = index < 0 || zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0
                            ? nullptr
                            : zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
    if (!entry) {
        zip_discard(archive);
        throw std::runtime_error("no xl/workbook.xml in " + target.string());
    }
    std::string xml(stat.size, '\0');
    const zip_int64_t got = zip_fread(entry, xml.data(), stat.size);
    zip_fclose(entry);
    // The buffer must live until zip_close has written it.
    const std::string edited = edit(got < 0 ? std::string() : xml);
    zip_source_t* replacement = zip_source_buffer(archive, edited.data(), edited.size(), 0);
    bool replaced = replacement && zip_file_replace(archive, static_cast<zip_uint64_t>(index), replacement, 0) == 0;
    if (replacement && !replaced)
        zip_source_free(replacement); // only a source the archive took is freed by it
    if (replaced)
        replaced = zip_close(archive) == 0;
    if (!replaced) {
        zip_discard(archive);
        throw std::runtime_error("cannot rewrite xl/workbook.xml in " + target.string());
    }
}

} // namespace brisk::test
