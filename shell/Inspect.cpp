#include "shell/Inspect.h"

#include "platform/dates/DateValue.h"

#include <string>

namespace brisk {
namespace {

void printFolder(MailFolder& folder, int depth, std::ostream& out)
{
    // A folder whose items cannot be counted is listed with "?", as the
    // folder picker shows it, and the listing goes on.
    std::string count = "?";
    try {
        count = std::to_string(folder.itemCount());
    } catch (const StoreError&) {
    }
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << folder.name() << " (" << count << ")\n";
    for (MailFolder* child : folder.folders())
        printFolder(*child, depth + 1, out);
}

} // namespace

void printFolderTree(MailStore& store, std::ostream& out)
{
    printFolder(store.root(), 0, out);
}

void printItem(MailItem& item, std::ostream& out)
{
    out << "Type: " << item.typeName() << '\n';
    out << "ReceivedTime: " << formatIsoTimestamp(item.receivedTime()) << '\n';
    out << "Subject: " << item.subject() << '\n';
    out << "SenderName: " << item.senderName() << '\n';
    const std::vector<std::string>& recipients = item.recipients();
    out << "Recipients: " << recipients.size() << '\n';
    for (const std::string& name : recipients)
        out << "  " << name << '\n';
    out << "Size: " << item.size() << '\n';
    out << "Attachments: " << item.attachmentCount() << '\n';
    out << "Body:\n" << item.body() << '\n';
}

} // namespace brisk
