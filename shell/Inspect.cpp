#include "shell/Inspect.h"

#include "dates/DateValue.h"
#include "shell/TerminalText.h"

#include <sstream>
#include <string>

namespace brisk {
namespace {

int printFolder(MailFolder& folder, int depth, std::ostream& out, std::ostream& err)
{
    int unread = 0;
    std::string count = "?";
    const std::vector<MailFolder*>* children = nullptr;
    try {
        count = std::to_string(folder.itemCount());
        children = &folder.folders();
    } catch (const std::exception& e) {
        ++unread;
        err << "brisk-cli: cannot read folder " << terminalSafe(folder.path().empty() ? folder.name() : folder.path())
            << ": " << terminalSafe(e.what()) << '\n';
    }
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << terminalSafe(folder.name()) << " (" << count << ")\n";
    for (std::size_t i = 0; children && i < children->size(); ++i)
        unread += printFolder(*(*children)[i], depth + 1, out, err);
    return unread;
}

} // namespace

int printFolderTree(MailStore& store, std::ostream& out, std::ostream& err)
{
    return printFolder(store.root(), 0, out, err);
}

void printItem(MailItem& item, std::ostream& out)
{
    std::ostringstream text;
    text << "Type: " << item.typeName() << '\n';
    text << "ReceivedTime: " << formatIsoTimestamp(item.receivedTime()) << '\n';
    text << "Subject: " << item.subject() << '\n';
    text << "SenderName: " << item.senderName() << '\n';
    const std::vector<std::string>& recipients = item.recipients();
    text << "Recipients: " << recipients.size() << '\n';
    for (const std::string& name : recipients)
        text << "  " << name << '\n';
    text << "Size: " << item.size() << '\n';
    text << "Attachments: " << item.attachmentCount() << '\n';
    text << "Body:\n" << item.body() << '\n';
    out << terminalSafe(text.str());
}

} // namespace brisk
