#include "platform/imap/ImapConnection.h"

#include "platform/imap/ImapErrors.h"
#include "platform/system/LoadedLibrary.h"

// The functions are called through the table below, so curl's checking
// macros (named as the functions) are left out.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <poll.h>

#include <cerrno>
#include <string>

namespace brisk::imap {
namespace {

// libcurl is loaded when the first connection is made, not when the
// program starts (LoadedLibrary.h).
#define BRISK_CURL_FUNCTIONS(X) \
    X(curl_global_init) \
    X(curl_easy_init) \
    X(curl_easy_setopt) \
    X(curl_easy_perform) \
    X(curl_easy_cleanup) \
    X(curl_easy_getinfo) \
    X(curl_easy_recv) \
    X(curl_easy_send) \
    X(curl_easy_strerror)

struct CurlApi {
#define BRISK_CURL_POINTER(name) decltype(&::name) name = nullptr;
    BRISK_CURL_FUNCTIONS(BRISK_CURL_POINTER)
#undef BRISK_CURL_POINTER
    std::string missing; // why it could not be loaded
};

CurlApi loadCurl()
{
    CurlApi api;
    LoadedLibrary library(BRISK_CURL_LIBRARY);
#define BRISK_CURL_FIND(name) library.find(#name, api.name) &&
    if (!(BRISK_CURL_FUNCTIONS(BRISK_CURL_FIND) true)) {
        api.missing = library.missing();
        return api;
    }
#undef BRISK_CURL_FIND
    if (const CURLcode code = api.curl_global_init(CURL_GLOBAL_DEFAULT); code != CURLE_OK)
        api.missing = std::string("it could not be set up: ") + api.curl_easy_strerror(code);
    return api;
}
#undef BRISK_CURL_FUNCTIONS

// Loaded once, on whichever thread connects first.
const CurlApi& curl()
{
    static const CurlApi api = loadCurl();
    if (!api.missing.empty())
        throw StoreError("cannot make IMAP connections without libcurl: " + api.missing);
    return api;
}

CURL* handle(void* p)
{
    return static_cast<CURL*>(p);
}

void set(CURL* handle, CURLoption option, long value)
{
    curl().curl_easy_setopt(handle, option, value);
}

void set(CURL* handle, CURLoption option, const std::string& value)
{
    curl().curl_easy_setopt(handle, option, value.c_str());
}

[[noreturn]] void connectFailed(const ImapUrl& url, CURLcode code, const char* detail)
{
    const std::string why = *detail ? detail : curl().curl_easy_strerror(code);
    switch (code) {
    case CURLE_LOGIN_DENIED:
        throw StoreError("the server " + url.host + " refused the login of " + url.user
                         + ": wrong user name or password");
    case CURLE_USE_SSL_FAILED:
        throw StoreError(url.host + " offers no STARTTLS, and the password is sent over an encrypted "
                         "connection only (use imaps:// if the server has it)");
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
        throw StoreError("no trusted TLS connection to " + url.host + ": " + why);
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        throw StoreDisconnected("cannot reach the IMAP server " + url.host + ":" + std::to_string(url.port)
                                + " (" + why + ")");
    default:
        throw StoreError("cannot log in to " + url.host + ": " + why);
    }
}

} // namespace

ImapConnection::ImapConnection(const ImapUrl& url, const std::string& password, const ConnectionOptions& options)
    : m_url(url), m_options(options), m_reader(*this)
{
    CURL* curl = imap::curl().curl_easy_init();
    if (!curl)
        throw StoreError("cannot set up a connection to " + url.host);
    m_curl = curl;
    char detail[CURL_ERROR_SIZE] = "";
    const bool v6 = url.host.find(':') != std::string::npos;
    const std::string host = v6 ? "[" + url.host + "]" : url.host;
    set(curl, CURLOPT_URL, std::string(url.implicitTls ? "imaps://" : "imap://") + host + ":"
                               + std::to_string(url.port) + "/");
    imap::curl().curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "imap,imaps");
    set(curl, CURLOPT_USERNAME, url.user);
    set(curl, CURLOPT_PASSWORD, password);
    // Certificates and host names are always verified; imap:// to another
    // machine must upgrade with STARTTLS before the password is sent.
    set(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    set(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options.caFile.empty())
        set(curl, CURLOPT_CAINFO, options.caFile);
    set(curl, CURLOPT_USE_SSL, url.implicitTls ? CURLUSESSL_ALL
                               : url.startTlsRequired() ? CURLUSESSL_ALL
                                                        : CURLUSESSL_TRY);
    set(curl, CURLOPT_CONNECT_ONLY, 1L);
    set(curl, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    set(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    set(curl, CURLOPT_NOSIGNAL, 1L);
    imap::curl().curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    const CURLcode code = imap::curl().curl_easy_perform(curl);
    imap::curl().curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    imap::curl().curl_easy_setopt(curl, CURLOPT_PASSWORD, "");
    if (code != CURLE_OK) {
        imap::curl().curl_easy_cleanup(curl);
        m_curl = nullptr;
        connectFailed(url, code, detail);
    }
}

ImapConnection::~ImapConnection()
{
    if (m_curl)
        curl().curl_easy_cleanup(handle(m_curl));
}

void ImapConnection::lost(const std::string& why)
{
    throw StoreDisconnected("the connection to " + m_url.host + " was lost (" + why + ")");
}

void ImapConnection::waitFor(short events)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl().curl_easy_getinfo(handle(m_curl), CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK || socket == CURL_SOCKET_BAD)
        lost("the socket is closed");
    pollfd p {socket, events, 0};
    const int ready = ::poll(&p, 1, m_options.readTimeoutSeconds * 1000);
    if (ready == 0)
        lost("no answer for " + std::to_string(m_options.readTimeoutSeconds) + " seconds");
    if (ready < 0 && errno != EINTR)
        lost("poll failed");
}

std::size_t ImapConnection::readSome(char* buffer, std::size_t size)
{
    while (true) {
        std::size_t got = 0;
        const CURLcode code = curl().curl_easy_recv(handle(m_curl), buffer, size, &got);
        if (code == CURLE_AGAIN) {
            waitFor(POLLIN);
            continue;
        }
        if (code != CURLE_OK)
            lost(curl().curl_easy_strerror(code));
        if (got == 0)
            lost("the server closed it");
        return got;
    }
}

std::string ImapConnection::send(const std::string& command)
{
    const std::string tag = "b" + std::to_string(m_nextTag++);
    const std::string line = tag + " " + command + "\r\n";
    std::size_t done = 0;
    while (done < line.size()) {
        std::size_t sent = 0;
        const CURLcode code = curl().curl_easy_send(handle(m_curl), line.data() + done, line.size() - done, &sent);
        if (code == CURLE_AGAIN) {
            waitFor(POLLOUT);
            continue;
        }
        if (code != CURLE_OK)
            lost(curl().curl_easy_strerror(code));
        done += sent;
    }
    return tag;
}

Response ImapConnection::finish(const std::string& tag, const ResponseLimits& limits,
                                const std::function<void(Response&)>& onData)
{
    while (true) {
        Response r = m_reader.read(limits);
        if (r.tag == tag) {
            if (r.status == "OK")
                return r;
            throw CommandFailed("the server " + m_url.host + " answered " + r.status + ": " + printable(r.text));
        }
        if (r.tag == "*" && r.status == "BYE")
            lost("the server said: " + printable(r.text));
        if (r.tag != "*")
            throw ProtocolError("the server " + m_url.host + " sent an unexpected response \"" + printable(r.tag)
                                + "\"");
        if (onData)
            onData(r);
    }
}

Response ImapConnection::run(const std::string& command, const ResponseLimits& limits,
                             const std::function<void(Response&)>& onData)
{
    return finish(send(command), limits, onData);
}

std::string quoteMailbox(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '\r' || c == '\n' || c == '\0')
            throw StoreError("the folder name \"" + printable(name) + "\" cannot be sent to the server");
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace brisk::imap
