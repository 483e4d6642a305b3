#include "platform/pst/PstItem.h"

#include "dates/DateValue.h"
#include "platform/mailstore/TextConvert.h"
#include "platform/pst/RtfText.h"
#include "platform/pst/ThreadHeaders.h"

#include <algorithm>
#include <strings.h>

namespace brisk::pst {
namespace {

bool hasClassPrefix(std::string_view messageClass, std::string_view prefix)
{
    return messageClass.size() >= prefix.size()
        && ::strncasecmp(messageClass.data(), prefix.data(), prefix.size()) == 0
        && (messageClass.size() == prefix.size() || messageClass[prefix.size()] == '.');
}

// Bodies come out of libpff as a size with its terminating NUL, then bytes.
template <typename SizeFn, typename ReadFn>
std::optional<std::string> readBodyBytes(libpff_item_t* message, SizeFn sizeOf, ReadFn read, const std::string& what)
{
    PffError error;
    std::size_t size = 0;
    const int found = sizeOf(message, &size, error.out());
    if (found == 0 || (found == 1 && size == 0))
        return std::nullopt;
    if (found != 1)
        throw StoreError("cannot read the " + what + ": " + error.text());
    std::string bytes(size, '\0');
    if (read(message, reinterpret_cast<std::uint8_t*>(bytes.data()), size, error.out()) != 1)
        throw StoreError("cannot read the " + what + ": " + error.text());
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

} // namespace

std::string itemTypeName(std::string_view messageClass)
{
    struct ClassType {
        std::string_view prefix, type;
    };
    // Outlook's item types by message class (MS-OXCMSG, MS-OXOCAL, MS-OXOTASK).
    static const ClassType types[] = {
        {"IPM.Note", "MailItem"},           {"IPM.Schedule.Meeting", "MeetingItem"},
        {"REPORT", "ReportItem"},           {"IPM.Appointment", "AppointmentItem"},
        {"IPM.Contact", "ContactItem"},     {"IPM.DistList", "DistListItem"},
        {"IPM.TaskRequest", "TaskRequestItem"}, {"IPM.Task", "TaskItem"},
        {"IPM.StickyNote", "NoteItem"},     {"IPM.Activity", "JournalItem"},
        {"IPM.Post", "PostItem"},           {"IPM.Document", "DocumentItem"},
        {"IPM.Sharing", "SharingItem"}};
    for (const ClassType& entry : types) {
        if (hasClassPrefix(messageClass, entry.prefix))
            return std::string(entry.type);
    }
    return messageClass.empty() ? std::string("MailItem") : std::string(messageClass);
}

std::string charsetOfCodepage(std::uint32_t codepage)
{
    struct Known {
        std::uint32_t codepage;
        const char* charset;
    };
    static const Known known[] = {{65001, "utf-8"}, {20127, "us-ascii"}, {932, "shift_jis"},
                                  {936, "gb2312"}, {949, "euc-kr"}, {950, "big5"},
                                  {50220, "iso-2022-jp"}, {51932, "euc-jp"}, {20866, "koi8-r"},
                                  {21866, "koi8-u"}, {54936, "gb18030"}, {874, "windows-874"}};
    for (const Known& entry : known) {
        if (entry.codepage == codepage)
            return entry.charset;
    }
    if (codepage >= 1250 && codepage <= 1258)
        return "windows-" + std::to_string(codepage);
    if (codepage >= 28591 && codepage <= 28606)
        return "iso-8859-" + std::to_string(codepage - 28590);
    return {};
}

PstItem::PstItem(std::shared_ptr<PstFile> file, ItemPtr message, std::string where)
    : m_file(std::move(file)), m_message(std::move(message)), m_where(std::move(where))
{
}

std::optional<std::string> PstItem::messageString(std::uint32_t id)
{
    PffError error;
    std::size_t size = 0;
    if (libpff_message_get_entry_value_utf8_string_size(m_message.get(), id, &size, error.out()) != 1 || size == 0)
        return std::nullopt;
    std::string text(size, '\0');
    if (libpff_message_get_entry_value_utf8_string(m_message.get(), id, reinterpret_cast<std::uint8_t*>(text.data()),
                                                   size, error.out())
        != 1)
        return std::nullopt;
    text.resize(text.find('\0'));
    return text;
}

void PstItem::ensureRead()
{
    if (m_read)
        return;
    m_read = true;
    m_typeName = itemTypeName(messageString(0x001a).value_or(std::string()));
    m_subject = messageString(PidSubject).value_or(std::string());
    // A subject may start with 0x01 and the length of its prefix ("RE: ")
    // when libpff leaves the marker in (MS-OXCMSG 2.2.1.46).
    if (m_subject.size() >= 2 && m_subject[0] == '\x01')
        m_subject.erase(0, 2);
    m_senderName = messageString(PidSenderName).value_or(messageString(PidSentRepresentingName).value_or(""));
    m_size = int32Property(m_message.get(), PidMessageSize).value_or(0);
    PffError error;
    std::uint64_t filetime = 0;
    if (libpff_message_get_delivery_time(m_message.get(), &filetime, error.out()) != 1 || filetime == 0)
        filetime = 0;
    if (filetime == 0 && libpff_message_get_client_submit_time(m_message.get(), &filetime, error.out()) != 1)
        filetime = 0;
    if (filetime == 0 && libpff_message_get_creation_time(m_message.get(), &filetime, error.out()) != 1)
        filetime = 0;
    m_receivedTime = filetime ? m_file->zone.localTime(filetimeToUnix(filetime)) : 0;
    int attachments = 0;
    if (libpff_message_get_number_of_attachments(m_message.get(), &attachments, error.out()) == 1)
        m_attachmentCount = attachments;
}

const std::string& PstItem::typeName()
{
    ensureRead();
    return m_typeName;
}

double PstItem::receivedTime()
{
    ensureRead();
    return m_receivedTime;
}

const std::string& PstItem::subject()
{
    ensureRead();
    return m_subject;
}

std::int64_t PstItem::size()
{
    ensureRead();
    return m_size;
}

int PstItem::attachmentCount()
{
    ensureRead();
    return m_attachmentCount;
}

const std::string& PstItem::senderName()
{
    ensureRead();
    return m_senderName;
}

// Plain text, else the HTML body as text, else the RTF body as text.
std::string PstItem::bodyText()
{
    libpff_item_t* message = m_message.get();
    try {
        if (auto plain = readBodyBytes(message, libpff_message_get_plain_text_body_size,
                                       libpff_message_get_plain_text_body, "plain-text body"))
            return mailstore::toCrLf(mailstore::toUtf8(*plain, "utf-8"));
        if (auto html = readBodyBytes(message, libpff_message_get_html_body_size, libpff_message_get_html_body,
                                      "HTML body")) {
            const std::uint32_t codepage = int32Property(message, PidInternetCodepage).value_or(0);
            return mailstore::toCrLf(mailstore::htmlToText(mailstore::toUtf8(*html, charsetOfCodepage(codepage))));
        }
        if (auto rtf = readBodyBytes(message, libpff_message_get_rtf_body_size, libpff_message_get_rtf_body,
                                     "RTF body")) {
            RtfContent content = readRtf(*rtf);
            return mailstore::toCrLf(content.isHtml ? mailstore::htmlToText(content.text) : content.text);
        }
    } catch (const StoreError& error) {
        throw StoreError(std::string(error.what()) + " of " + m_where);
    }
    return {};
}

const std::string& PstItem::body()
{
    if (!m_body)
        m_body = bodyText();
    return *m_body;
}

const std::vector<std::string>& PstItem::recipients()
{
    if (!m_recipients)
        readRecipients();
    return *m_recipients;
}

// The recipient table has one record set per recipient; Outlook lists To,
// then Cc, then Bcc, each in the table's order.
void PstItem::readRecipients()
{
    m_recipients.emplace();
    PffError error;
    libpff_item_t* raw = nullptr;
    const int found = libpff_message_get_recipients(m_message.get(), &raw, error.out());
    if (found == 0)
        return;
    if (found != 1)
        throw StoreError("cannot read the recipients of " + m_where + ": " + error.text());
    const ItemPtr table(raw);
    int count = 0;
    if (libpff_item_get_number_of_record_sets(table.get(), &count, error.out()) != 1)
        throw StoreError("cannot read the recipients of " + m_where + ": " + error.text());
    std::vector<std::pair<std::uint32_t, std::string>> rows;
    for (int set = 0; set < count; ++set) {
        std::uint32_t type = int32Property(table.get(), PidRecipientType, set).value_or(1) & 0x0fffffff;
        if (type < 1 || type > 3)
            type = 4; // originator rows and unknown kinds come last
        std::string name = stringProperty(table.get(), PidDisplayName, set).value_or("");
        if (name.empty())
            name = stringProperty(table.get(), PidSmtpAddress, set).value_or("");
        if (name.empty())
            name = stringProperty(table.get(), PidEmailAddress, set).value_or("");
        rows.emplace_back(type, std::move(name));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& row : rows)
        m_recipients->push_back(std::move(row.second));
}

const ThreadHeaders& PstItem::threadIds()
{
    if (m_threadIds)
        return *m_threadIds;
    ThreadHeaders headers;
    if (auto block = messageString(PidTransportMessageHeaders); block && !block->empty())
        headers = threadHeadersOf(*block);
    // Sent items have no transport headers; their properties hold the ids.
    if (headers.messageId.empty()) {
        const std::vector<std::string> ids = messageIdsOf(messageString(PidInternetMessageId).value_or(""));
        if (!ids.empty())
            headers.messageId = ids.front();
    }
    if (headers.inReplyTo.empty())
        headers.inReplyTo = messageIdsOf(messageString(PidInReplyToId).value_or(""));
    if (headers.references.empty())
        headers.references = messageIdsOf(messageString(PidInternetReferences).value_or(""));
    m_threadIds = std::move(headers);
    return *m_threadIds;
}

std::string PstItem::messageId()
{
    return threadIds().messageId;
}

std::vector<std::string> PstItem::inReplyTo()
{
    return threadIds().inReplyTo;
}

std::vector<std::string> PstItem::references()
{
    return threadIds().references;
}

} // namespace brisk::pst
