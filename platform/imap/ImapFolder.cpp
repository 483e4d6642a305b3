#include "platform/imap/ImapFolder.h"

#include "platform/imap/ImapErrors.h"
#include "platform/mailstore/MessageItem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace brisk::imap {
namespace {

// A number atom of up to `digits` digits, else 0.
std::uint64_t parseNumber(const ImapValue* v, std::size_t digits)
{
    if (!v || v->kind != ImapValue::Kind::Atom || v->text.empty() || v->text.size() > digits)
        return 0;
    std::uint64_t n = 0;
    for (char c : v->text) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

// RFC 3501 section 2.3.1.1: UIDs are non-zero 32-bit numbers.
std::uint32_t parseUid(const ImapValue* v)
{
    const std::uint64_t n = parseNumber(v, 10);
    return n <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(n) : 0;
}

std::int64_t parseSize(const ImapValue* v)
{
    return static_cast<std::int64_t>(parseNumber(v, 15));
}

} // namespace

std::optional<std::int64_t> parseInternalDate(const std::string& text)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int day = 0, year = 0, h = 0, m = 0, s = 0, zone = 0, used = 0;
    char month[4] = "";
    char sign = 0;
    if (std::sscanf(text.c_str(), " %2d-%3s-%4d %2d:%2d:%2d %c%4d%n", &day, month, &year, &h, &m, &s, &sign, &zone,
                    &used) != 8 || static_cast<std::size_t>(used) != text.size() || (sign != '+' && sign != '-'))
        return std::nullopt;
    const auto found = std::find_if(std::begin(months), std::end(months),
                                    [&](const char* name) { return std::strcmp(name, month) == 0; });
    if (found == std::end(months) || day < 1 || day > 31 || h > 23 || m > 59 || s > 60 || zone % 100 > 59)
        return std::nullopt;
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = static_cast<int>(found - std::begin(months));
    tm.tm_mday = day;
    tm.tm_hour = h;
    tm.tm_min = m;
    tm.tm_sec = s;
    const std::int64_t offset = (zone / 100 * 3600 + zone % 100 * 60) * (sign == '-' ? -1 : 1);
    return static_cast<std::int64_t>(::timegm(&tm)) - offset;
}

std::string uidSet(const std::vector<std::uint32_t>& uids)
{
    std::string out;
    for (std::size_t i = 0; i < uids.size();) {
        std::size_t j = i;
        while (j + 1 < uids.size() && uids[j + 1] == uids[j] + 1)
            ++j;
        out += (out.empty() ? "" : ",") + std::to_string(uids[i]);
        if (j > i)
            out += ":" + std::to_string(uids[j]);
        i = j + 1;
    }
    return out;
}

ImapFolder::ImapFolder(std::string name, std::string mailbox, ImapFolder* parent, ImapSession& session)
    : m_name(std::move(name)), m_mailbox(std::move(mailbox)), m_parent(parent), m_session(session)
{
}

std::string ImapFolder::path() const
{
    if (!m_parent)
        return {};
    const std::string above = m_parent->path();
    return above.empty() ? m_name : above + "/" + m_name;
}

ImapFolder& ImapFolder::child(const std::string& name, const std::string& mailbox)
{
    for (auto& c : m_children) {
        if (c->m_name == name)
            return *c;
    }
    m_children.push_back(std::make_unique<ImapFolder>(name, mailbox, this, m_session));
    return *m_children.back();
}

void ImapFolder::setListed(const std::string& mailbox, bool selectable, bool trash, bool sent)
{
    m_mailbox = mailbox;
    m_selectable = selectable;
    m_trash = trash;
    m_sent = sent;
}

void ImapFolder::sortChildren()
{
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const auto& a, const auto& b) { return a->m_name < b->m_name; });
    m_view.clear();
    for (auto& c : m_children) {
        c->sortChildren();
        m_view.push_back(c.get());
    }
}

std::string ImapFolder::where(std::uint32_t uid) const
{
    return "message UID " + std::to_string(uid) + " of folder \"" + path() + "\" on " + m_session.url().host;
}

// Re-opened after a reconnection; the UIDs read before only hold while the
// mailbox keeps its UIDVALIDITY (RFC 3501 section 2.3.1.1).
void ImapFolder::openMailbox()
{
    const Examined seen = m_session.examine(m_mailbox);
    if (m_uidValidity && *m_uidValidity != seen.uidValidity)
        throw StoreError("the folder \"" + path() + "\" was rebuilt on the server; pick it again to read it anew");
    m_uidValidity = seen.uidValidity;
}

void ImapFolder::loadMessages()
{
    if (m_messages)
        return;
    std::vector<MessageRef> refs;
    if (m_selectable) {
        openMailbox();
        const long exists = m_session.examine(m_mailbox).exists;
        if (exists > 0) {
            m_session.run("UID FETCH 1:* (UID RFC822.SIZE INTERNALDATE)", {}, [&](Response& r) {
                const std::uint32_t uid = parseUid(fetchItem(r, "UID"));
                if (!uid)
                    return;
                if (refs.size() > static_cast<std::size_t>(exists) + 10000)
                    throw ProtocolError("the server lists more messages than the folder holds");
                const ImapValue* date = fetchItem(r, "INTERNALDATE");
                const auto time = date ? parseInternalDate(date->str()) : std::nullopt;
                refs.push_back({uid, parseSize(fetchItem(r, "RFC822.SIZE")), time.value_or(0)});
            });
        }
    }
    std::sort(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.uid < b.uid; });
    refs.erase(std::unique(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.uid == b.uid; }),
               refs.end());
    m_messages = std::move(refs);
}

long ImapFolder::itemCount()
{
    loadMessages();
    return static_cast<long>(m_messages->size());
}

const ImapFolder::MessageRef* ImapFolder::findUid(std::uint32_t uid) const
{
    const auto it = std::lower_bound(m_messages->begin(), m_messages->end(), uid,
                                     [](const MessageRef& r, std::uint32_t u) { return r.uid < u; });
    return it != m_messages->end() && it->uid == uid ? &*it : nullptr;
}

// The UIDs from `index` on whose sizes fit the batch budget (at least one).
std::vector<std::uint32_t> ImapFolder::batchFrom(long index) const
{
    std::vector<std::uint32_t> uids;
    std::size_t bytes = 0;
    for (auto i = static_cast<std::size_t>(index - 1); i < m_messages->size(); ++i) {
        const MessageRef& ref = (*m_messages)[i];
        if (!uids.empty() && bytes + static_cast<std::size_t>(ref.size) > m_session.options().batchBytes)
            break;
        uids.push_back(ref.uid);
        bytes += static_cast<std::size_t>(ref.size);
    }
    return uids;
}

// One UID FETCH for many messages: one round trip for the batch, read now
// or (ahead) while the walk works on the batch before it.
void ImapFolder::fetchInto(std::unordered_map<std::uint32_t, std::string>& into,
                           const std::vector<std::uint32_t>& uids, bool ahead)
{
    ResponseLimits limits;
    limits.maxLiteralBytes = m_session.options().maxMessageBytes;
    auto responses = std::make_shared<std::size_t>(0);
    auto onData = [&into, uids, responses](Response& r) {
        if (++*responses > uids.size() + 10000)
            throw ProtocolError("the server sends more messages than were asked for");
        const std::uint32_t uid = parseUid(fetchItem(r, "UID"));
        ImapValue* body = fetchItem(r, "BODY[]");
        if (uid && body && body->kind == ImapValue::Kind::String && std::binary_search(uids.begin(), uids.end(), uid))
            into[uid] = std::move(body->text);
    };
    const std::string command = "UID FETCH " + uidSet(uids) + " (UID BODY.PEEK[])";
    if (ahead)
        m_session.sendAhead(command, limits, onData, [this] { m_aheadReady = true; });
    else
        m_session.run(command, limits, onData);
}

void ImapFolder::fetchBatch(long index)
{
    if (m_aheadFirst == index)
        m_session.drain();
    if (m_aheadFirst == index && m_aheadReady) {
        m_batch = std::move(m_ahead);
    } else {
        m_batch.clear();
        openMailbox();
        fetchInto(m_batch, batchFrom(index), false);
    }
    m_ahead.clear();
    m_aheadReady = false;
    m_aheadFirst = 0;
    const long next = index + static_cast<long>(batchFrom(index).size());
    if (next <= static_cast<long>(m_messages->size())) {
        m_aheadFirst = next;
        fetchInto(m_ahead, batchFrom(next), true);
    }
}

std::unique_ptr<MailItem> ImapFolder::item(long index)
{
    const long count = itemCount();
    if (index < 1 || index > count)
        throw StoreError("no item " + std::to_string(index) + " in folder \"" + m_name + "\" of "
                         + std::to_string(count) + " items");
    const MessageRef ref = (*m_messages)[static_cast<std::size_t>(index - 1)];
    auto it = m_batch.find(ref.uid);
    if (it == m_batch.end()) {
        fetchBatch(index);
        it = m_batch.find(ref.uid);
        if (it == m_batch.end())
            throw StoreError(where(ref.uid) + " is no longer on the server");
    }
    mailstore::MemoryMessage message {std::move(it->second), ref.size, ref.time, where(ref.uid)};
    m_batch.erase(it);
    return std::make_unique<mailstore::MessageItem>(std::move(message), m_session.options().zone);
}

// One FETCH of the few header fields that the item's Message-ID and
// received time come from, read exactly as the item itself reads them.
void ImapFolder::scanThreadHeaders(const ThreadHeaderSink& sink)
{
    if (itemCount() == 0)
        return;
    openMailbox();
    ResponseLimits limits;
    limits.maxLiteralBytes = 1 << 20;
    std::size_t responses = 0;
    m_session.run("UID FETCH 1:* (UID BODY.PEEK[HEADER.FIELDS (MESSAGE-ID DATE RECEIVED)])", limits,
                  [&](Response& r) {
                      if (++responses > m_messages->size() + 10000)
                          throw ProtocolError("the server sends more messages than the folder holds");
                      const MessageRef* ref = findUid(parseUid(fetchItem(r, "UID")));
                      const ImapValue* headers = fetchItem(r, "BODY[HEADER", true);
                      if (!ref || !headers || headers->kind != ImapValue::Kind::String)
                          return;
                      try {
                          mailstore::MessageItem item({std::move(headers->text), ref->size, ref->time, where(ref->uid)},
                                                 m_session.options().zone);
                          const std::string id = item.messageId();
                          if (!id.empty())
                              sink(id, item.receivedTime());
                      } catch (const StoreError&) {
                          // An unreadable header block has no id to index.
                      }
                  });
}

} // namespace brisk::imap
