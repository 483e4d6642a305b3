#pragma once
// Small stores written into temporary folders for the mail store tests, and
// walks that read every value of every item.

#include "engine/MailStore.h"
#include "platform/mailstore/OpenStore.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brisk::test {

using Lines = std::vector<std::string>;

// A minimal message whose subject identifies it, also in its Message-ID.
inline std::string message(const std::string& subject, const std::string& body = "Hello\n")
{
    return "From: Alice <alice@example.com>\nTo: bob@example.com\nSubject: " + subject + "\nMessage-ID: <" + subject
        + "@x>\nDate: Mon, 1 Mar 2021 10:00:00 +0000\n\n" + body;
}

// One message of an mbox file: its "From " line, the message, a blank line.
inline std::string mboxEntry(const std::string& raw) { return "From - Mon Mar  1 10:00:00 2021\n" + raw + "\n"; }

inline std::string mboxOf(const Lines& subjects)
{
    std::string out;
    for (const std::string& subject : subjects)
        out += mboxEntry(message(subject));
    return out;
}

// A Maildir folder with cur/, new/ and tmp/; each message goes into cur/.
inline void makeMaildir(const std::filesystem::path& dir, const Lines& subjects = {})
{
    for (const char* sub : {"cur", "new", "tmp"})
        std::filesystem::create_directories(dir / sub);
    for (std::size_t n = 0; n < subjects.size(); ++n)
        writeFile(dir / "cur" / (std::to_string(n + 1) + ".eml"), message(subjects[n]));
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
    for (const auto& [kind, path, content] : entries) {
        const std::string first = content.empty() ? "" : content.front();
        if (kind == Kind::Maildir)
            makeMaildir(root / path, content);
        else if (kind == Kind::Dir)
            std::filesystem::create_directories(root / path);
        else
            writeFile(root / path, kind == Kind::Mbox ? mboxOf(content) : kind == Kind::Message ? message(first)
                                                                                               : first);
    }
}

inline void eachFolder(MailFolder& folder, const std::function<void(MailFolder&)>& visit)
{
    visit(folder);
    for (MailFolder* child : folder.folders())
        eachFolder(*child, visit);
}

// "path (count)" of every folder, depth-first, the root by its name; the trash marked " trash".
inline Lines outline(MailFolder& root)
{
    Lines lines;
    eachFolder(root, [&](MailFolder& f) {
        lines.push_back((f.parent() ? f.path() : f.name()) + " (" + std::to_string(f.itemCount()) + ")"
                        + (f.isTrash() ? " trash" : ""));
    });
    return lines;
}

// What `scan` hands the sink it is given, as (Message-ID, time) pairs, sorted.
using Scanned = std::vector<std::pair<std::string, double>>;
template <typename Scan>
Scanned scannedBy(const Scan& scan)
{
    Scanned out;
    scan(MailFolder::ThreadHeaderSink([&](std::string_view id, double time) { out.emplace_back(id, time); }));
    std::sort(out.begin(), out.end());
    return out;
}

// The message of the StoreError that `action` raises; "no error" when none.
inline std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const StoreError& e) {
        return e.what();
    }
    return "no error";
}

// Reads every value of every item below `folder`; what raises StoreError is
// counted, folder by folder and item by item, and the walk goes on.
struct ReadTally {
    long items = 0, failures = 0;
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
inline auto snapshot(const std::filesystem::path& root)
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
