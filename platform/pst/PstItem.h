#pragma once
// One message of an Outlook data file, its values read from the message's
// MAPI properties: the cheap ones on first use, the body, the recipients and
// the transport headers only when asked for.

#include "engine/MailStore.h"
#include "platform/pst/PstFile.h"
#include "platform/pst/ThreadHeaders.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisk::pst {

// The item type a message class stands for: "IPM.Note" and its sub-classes
// are "MailItem", "IPM.Schedule.Meeting.*" "MeetingItem", "REPORT.*"
// "ReportItem", the other standard classes their Outlook type; an unknown
// class is reported as itself. Classes ignore ASCII case (MS-OXCMSG 2.2.1.3).
std::string itemTypeName(std::string_view messageClass);

// The charset name of a Windows code page (PidTagInternetCodepage), for
// bodies stored as bytes; empty when unknown.
std::string charsetOfCodepage(std::uint32_t codepage);

class PstItem : public MailItem {
public:
    PstItem(std::shared_ptr<PstFile> file, ItemPtr message, std::string where);

    const std::string& typeName() override;
    double receivedTime() override;
    const std::string& subject() override;
    const std::string& body() override;
    std::int64_t size() override;
    int attachmentCount() override;
    const std::vector<std::string>& recipients() override;
    const std::string& senderName() override;
    std::string messageId() override;
    std::vector<std::string> inReplyTo() override;
    std::vector<std::string> references() override;

private:
    void ensureRead();
    void readRecipients();
    const ThreadHeaders& threadIds();
    std::optional<std::string> messageString(std::uint32_t id);
    std::string bodyText();

    std::shared_ptr<PstFile> m_file;
    ItemPtr m_message;
    std::string m_where;
    bool m_read = false;
    std::optional<std::string> m_body;
    std::optional<std::vector<std::string>> m_recipients;
    std::optional<ThreadHeaders> m_threadIds;

    std::string m_typeName;
    double m_receivedTime = 0;
    std::string m_subject;
    std::int64_t m_size = 0;
    int m_attachmentCount = 0;
    std::string m_senderName;
};

} // namespace brisk::pst
