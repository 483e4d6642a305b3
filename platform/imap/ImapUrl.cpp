#include "platform/imap/ImapUrl.h"

#include "engine/MailStore.h"

#include <strings.h>

#include <cctype>

namespace brisk::imap {
namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && ::strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// RFC 3986 section 2.1; a user name like "me%40example.com" is common.
std::optional<std::string> percentDecode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0)
            return std::nullopt;
        out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
        i += 2;
    }
    return out;
}

[[noreturn]] void invalid(std::string_view text, const std::string& why)
{
    throw StoreError("not an IMAP address: " + std::string(text) + " (" + why + ")");
}

int parsePort(std::string_view text, std::string_view url)
{
    if (text.empty() || text.size() > 5)
        invalid(url, "bad port");
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            invalid(url, "bad port");
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        invalid(url, "bad port");
    return port;
}

// The user name of the address's user information (RFC 3986 section 3.2.1),
// percent-decoded; a password there is refused, never used.
std::string userOf(std::string_view userInfo, std::string_view url)
{
    if (userInfo.find(':') != std::string_view::npos)
        invalid(url, "a password does not belong in the address");
    const auto user = percentDecode(userInfo);
    if (!user || user->empty() || user->find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        invalid(url, "bad user name");
    return *user;
}

// The port text after "host:" or "[v6-address]:"; empty when none is given.
std::string_view portOf(std::string_view hostPort, std::string_view url, std::string& host)
{
    std::string_view portText;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        if (close == std::string_view::npos)
            invalid(url, "unclosed [");
        host = std::string(hostPort.substr(1, close - 1));
        const std::string_view tail = hostPort.substr(close + 1);
        if (!tail.empty() && tail.front() != ':')
            invalid(url, "bad host");
        portText = tail.empty() ? tail : tail.substr(1);
        if (!tail.empty() && portText.empty())
            invalid(url, "bad port");
        return portText;
    }
    const auto colon = hostPort.find(':');
    host = std::string(hostPort.substr(0, colon));
    if (colon != std::string_view::npos)
        portText = hostPort.substr(colon + 1);
    if (colon != std::string_view::npos && portText.empty())
        invalid(url, "bad port");
    return portText;
}

// Sets `host` from "host[:port]" and returns the port text.
std::string_view splitHostPort(std::string_view hostPort, std::string_view url, std::string& host)
{
    const std::string_view portText = portOf(hostPort, url, host);
    for (char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ':' && c != '_')
            invalid(url, "bad host");
    }
    if (host.empty())
        invalid(url, "no host");
    return portText;
}

} // namespace

bool isImapUrl(std::string_view text)
{
    return startsWithIgnoringCase(text, "imap://") || startsWithIgnoringCase(text, "imaps://");
}

ImapUrl parseImapUrl(std::string_view text)
{
    if (!isImapUrl(text))
        invalid(text, "it must start with imap:// or imaps://");
    ImapUrl url;
    url.implicitTls = startsWithIgnoringCase(text, "imaps://");
    std::string_view rest = text.substr(url.implicitTls ? 8 : 7);
    const std::string_view authority = rest.substr(0, rest.find('/'));
    const std::string_view after = rest.substr(authority.size());
    if (!after.empty() && after != "/")
        invalid(text, "folders are chosen in the program, not in the address");
    const auto at = authority.rfind('@');
    if (at == std::string_view::npos || at == 0)
        invalid(text, "no user name");
    url.user = userOf(authority.substr(0, at), text);
    const std::string_view portText = splitHostPort(authority.substr(at + 1), text, url.host);
    url.port = portText.empty() ? (url.implicitTls ? 993 : 143) : parsePort(portText, text);
    return url;
}

bool ImapUrl::loopback() const
{
    return host == "127.0.0.1" || host == "::1";
}

std::string ImapUrl::display() const
{
    std::string out = implicitTls ? "imaps://" : "imap://";
    const bool v6 = host.find(':') != std::string::npos;
    out += user + "@" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
    return out;
}

std::string ImapUrl::account() const
{
    return user + " at " + host;
}

} // namespace brisk::imap
