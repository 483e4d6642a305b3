#include "platform/imap/ImapSession.h"

#include "platform/imap/ImapErrors.h"

#include <string.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

namespace brisk::imap {
namespace {

std::uint64_t number(const std::string& text)
{
    std::uint64_t n = 0;
    if (text.empty() || text.size() > 19)
        throw ProtocolError("the server sent a bad number \"" + printable(text) + "\"");
    for (char c : text) {
        if (c < '0' || c > '9')
            throw ProtocolError("the server sent a bad number \"" + printable(text) + "\"");
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

} // namespace

ImapSession::ImapSession(ImapUrl url, std::string password, ImapOptions options)
    : m_url(std::move(url)), m_password(std::move(password)), m_options(options)
{
}

ImapSession::~ImapSession()
{
    explicit_bzero(m_password.data(), m_password.size());
}

ImapConnection& ImapSession::connection()
{
    if (!m_connection) {
        m_examined.clear();
        m_pending.reset();
        m_connection = std::make_unique<ImapConnection>(m_url, m_password, m_options.connection);
    }
    return *m_connection;
}

void ImapSession::connect()
{
    std::string words;
    run("CAPABILITY", {}, [&](Response& r) {
        if (!r.words.empty() && r.words[0].isAtom("CAPABILITY")) {
            for (std::size_t i = 1; i < r.words.size(); ++i)
                words += " " + r.words[i].str();
        }
    });
    m_capabilities = words + " ";
}

bool ImapSession::hasCapability(const char* name) const
{
    const std::string needle = std::string(" ") + name + " ";
    return ::strcasestr(m_capabilities.c_str(), needle.c_str()) != nullptr;
}

Examined ImapSession::examine(const std::string& mailbox)
{
    if (m_connection && m_examined == mailbox)
        return m_current;
    Examined seen;
    run("EXAMINE " + quoteMailbox(mailbox), {}, [&](Response& r) {
        if (r.words.size() == 2 && r.words[1].isAtom("EXISTS"))
            seen.exists = static_cast<long>(std::min<std::uint64_t>(number(r.words[0].str()), 50'000'000));
        if (r.status == "OK" && r.text.rfind("[UIDVALIDITY ", 0) == 0)
            seen.uidValidity = number(r.text.substr(13, r.text.find(']') - 13));
    });
    m_examined = mailbox;
    m_current = seen;
    return seen;
}

Response ImapSession::run(const std::string& command, const ResponseLimits& limits,
                          const std::function<void(Response&)>& onData)
{
    drain();
    try {
        return connection().run(command, limits, onData);
    } catch (const CommandFailed&) {
        throw;
    } catch (...) {
        m_connection.reset();
        throw;
    }
}

void ImapSession::sendAhead(const std::string& command, const ResponseLimits& limits,
                            std::function<void(Response&)> onData, std::function<void()> onDone)
{
    drain();
    try {
        m_pending = Pending {connection().send(command), limits, std::move(onData), std::move(onDone)};
    } catch (...) {
        m_connection.reset();
        throw;
    }
}

void ImapSession::drain()
{
    if (!m_pending)
        return;
    Pending pending = std::move(*m_pending);
    m_pending.reset();
    try {
        connection().finish(pending.tag, pending.limits, pending.onData);
    } catch (const CommandFailed&) {
        return; // nothing read ahead; the batch is asked for again when needed
    } catch (...) {
        m_connection.reset();
        throw;
    }
    pending.onDone();
}

ImapValue* fetchItem(Response& r, const char* name, bool prefix)
{
    if (r.words.size() != 3 || !r.words[1].isAtom("FETCH") || r.words[2].kind != ImapValue::Kind::List)
        return nullptr;
    auto& items = r.words[2].items;
    const std::size_t length = std::strlen(name);
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
        ImapValue& key = items[i];
        if (key.kind == ImapValue::Kind::Atom
            && (prefix ? ::strncasecmp(key.text.c_str(), name, length) == 0 : key.isAtom(name)))
            return &items[i + 1];
    }
    return nullptr;
}

} // namespace brisk::imap
