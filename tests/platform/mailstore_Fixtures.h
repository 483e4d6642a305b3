#pragma once
// Small stores written into temporary folders for the mail store tests.

#include "engine/MailStore.h"
#include "platform/mailstore/OpenStore.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace brisk::test {

// A minimal message whose subject identifies it.
inline std::string message(const std::string& subject, const std::string& body = "Hello\n")
{
    return "From: Alice <alice@example.com>\nTo: bob@example.com\nSubject: " + subject
        + "\nDate: Mon, 1 Mar 2021 10:00:00 +0000\n\n" + body;
}

// A Maildir folder with cur/, new/ and tmp/; each message goes into cur/.
inline void makeMaildir(const std::filesystem::path& dir, const std::vector<std::string>& subjects = {})
{
    for (const char* sub : {"cur", "new", "tmp"})
        std::filesystem::create_directories(dir / sub);
    int n = 0;
    for (const std::string& subject : subjects)
        writeFile(dir / "cur" / (std::to_string(++n) + ".eml"), message(subject));
}

inline std::vector<std::string> childNames(MailFolder& folder)
{
    std::vector<std::string> names;
    for (MailFolder* child : folder.folders())
        names.push_back(child->name());
    return names;
}

inline std::vector<std::string> subjects(MailFolder& folder)
{
    std::vector<std::string> result;
    for (long i = 1; i <= folder.itemCount(); ++i)
        result.push_back(folder.item(i)->subject());
    return result;
}

// "Name (count)" of every folder, depth-first, with "/" paths.
inline std::vector<std::string> outline(MailFolder& folder)
{
    std::vector<std::string> lines{folder.path() + " (" + std::to_string(folder.itemCount()) + ")"};
    for (MailFolder* child : folder.folders()) {
        for (std::string& line : outline(*child))
            lines.push_back(std::move(line));
    }
    return lines;
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
