#pragma once
// Small stores written into temporary folders for the mail store tests, and
// walks that read every value of every item.

#include "engine/MailStore.h"
#include "platform/mailstore/OpenStore.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brisk::test {

using Lines = std::vector<std::string>;

// A minimal message whose subject identifies it.
inline std::string message(const std::string& subject, const std::string& body = "Hello\n")
{
    return "From: Alice <alice@example.com>\nTo: bob@example.com\nSubject: " + subject
        + "\nDate: Mon, 1 Mar 2021 10:00:00 +0000\n\n" + body;
}

// An mbox file holding one message per subject.
inline std::string mboxOf(const Lines& subjects)
{
    std::string out;
    for (const std::string& subject : subjects)
        out += "From - Mon Mar  1 10:00:00 2021\n" + message(subject) + "\n";
    return out;
}

// A Maildir folder with cur/, new/ and tmp/; each message goes into cur/.
inline void makeMaildir(const std::filesystem::path& dir, const Lines& subjects = {})
{
    for (const char* sub : {"cur", "new", "tmp"})
        std::filesystem::create_directories(dir / sub);
    int n = 0;
    for (const std::string& subject : subjects)
        writeFile(dir / "cur" / (std::to_string(++n) + ".eml"), message(subject));
}

// One entry of a store written by buildStore: a Maildir folder or mbox file
// of messages with the given subjects, one message file, a file of the given
// text, or an empty directory.
enum class Kind { Maildir, Mbox, Message, File, Dir };
struct StoreEntry {
    Kind kind;
    std::string path;
    Lines content;
};

inline void buildStore(const std::filesystem::path& root, const std::vector<StoreEntry>& entries)
{
    for (const StoreEntry& e : entries) {
        const std::filesystem::path at = root / e.path;
        const std::string first = e.content.empty() ? "" : e.content.front();
        if (e.kind == Kind::Maildir)
            makeMaildir(at, e.content);
        else if (e.kind == Kind::Mbox)
            writeFile(at, mboxOf(e.content));
        else if (e.kind == Kind::Message)
            writeFile(at, message(first));
        else if (e.kind == Kind::File)
            writeFile(at, first);
        else
            std::filesystem::create_directories(at);
    }
}

inline void eachFolder(MailFolder& folder, const std::function<void(MailFolder&)>& visit)
{
    visit(folder);
    for (MailFolder* child : folder.folders())
        eachFolder(*child, visit);
}

inline Lines subjects(MailFolder& folder)
{
    Lines result;
    for (long i = 1; i <= folder.itemCount(); ++i)
        result.push_back(folder.item(i)->subject());
    return result;
}

// "path (count)" of every folder, depth-first; the root by its name.
inline Lines outline(MailFolder& root)
{
    Lines lines;
    eachFolder(root, [&](MailFolder& f) {
        lines.push_back((f.parent() ? f.path() : f.name()) + " (" + std::to_string(f.itemCount()) + ")");
    });
    return lines;
}

// Reads every value of every item below `folder`; what raises StoreError is
// counted, folder by folder and item by item, and the walk goes on.
struct ReadTally {
    long items = 0;
    long failures = 0;
};
inline void readEverything(MailFolder& folder, ReadTally& tally)
{
    try {
        for (long i = 1; i <= folder.itemCount(); ++i) {
            try {
                const std::unique_ptr<MailItem> item = folder.item(i);
                (void)item->typeName(), (void)item->receivedTime(), (void)item->subject(), (void)item->size();
                (void)item->attachmentCount(), (void)item->recipients(), (void)item->senderName();
                (void)item->body(), (void)item->messageId(), (void)item->references();
                ++tally.items;
            } catch (const StoreError&) {
                ++tally.failures;
            }
        }
        for (MailFolder* child : folder.folders())
            readEverything(*child, tally);
    } catch (const StoreError&) {
        ++tally.failures;
    }
}

// Every file's bytes and every entry's modification time below `root`.
inline std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> snapshot(
    const std::filesystem::path& root)
{
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        state[entry.path().string()] = {entry.is_regular_file() ? readFile(entry.path()) : "",
                                        entry.last_write_time()};
    return state;
}

// One message stored as a Maildir folder of its own; item() parses it.
class OneMessage {
public:
    explicit OneMessage(const std::string& raw)
    {
        makeMaildir(m_dir / "box");
        writeFile(file(), raw);
    }
    std::filesystem::path file() const { return m_dir / "box" / "cur" / "1.eml"; }
    std::unique_ptr<MailItem> item(const TimeZone& zone = TimeZone::utc())
    {
        m_store = openMailStore(m_dir / "box", zone);
        return m_store->root().item(1);
    }

private:
    TempDir m_dir;
    std::unique_ptr<MailStore> m_store;
};

} // namespace brisk::test
