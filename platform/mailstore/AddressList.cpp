#include "platform/mailstore/AddressList.h"

#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/TextConvert.h"

namespace brisk::mailstore {
namespace {

std::string trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// Calls `keep` with each character of `text` left once quotes are removed
// (keeping quoted-pair contents) and, unless keepComments, "(comments)";
// stops when `keep` returns false.
template <typename Keep>
void forEachKept(std::string_view text, bool keepComments, Keep keep)
{
    bool quoted = false;
    int comment = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && (quoted || comment)) {
            ++i;
            if ((!comment || keepComments) && !keep(text[i]))
                return;
        } else if (c == '"' && !comment) {
            quoted = !quoted;
        } else if (c == '(' && !quoted) {
            ++comment;
        } else if (c == ')' && !quoted && comment) {
            --comment;
        } else if ((!comment || keepComments) && !keep(c)) {
            return;
        }
    }
}

// Removes quotes (keeping quoted-pair contents) and, unless keepComments,
// "(comments)".
std::string stripSyntax(std::string_view text, bool keepComments)
{
    std::string out;
    forEachKept(text, keepComments, [&](char c) {
        out += c;
        return true;
    });
    return trim(out);
}

std::string decodeWords(const std::string& text)
{
    if (text.find("=?") == std::string::npos)
        return toUtf8(text, {});
    GCharPtr decoded(g_mime_utils_header_decode_text(parserOptions(), text.c_str()));
    return decoded ? toUtf8(decoded.get(), {}) : text;
}

// The address part of one entry: the text inside "<...>", else the bare
// token without comments.
std::string addressOf(std::string_view token)
{
    const auto open = token.find('<');
    if (open == std::string_view::npos)
        return stripSyntax(token, false);
    const auto close = token.find('>', open);
    return trim(token.substr(open + 1, close == std::string_view::npos ? close : close - open - 1));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether addressOf(token) is not empty, found without building it: a
// letter stripSyntax would keep that trim would not remove.
bool hasAddress(std::string_view token)
{
    const auto open = token.find('<');
    if (open != std::string_view::npos) {
        const auto close = token.find('>', open);
        const std::string_view inside = token.substr(open + 1, close == std::string_view::npos ? close : close - open - 1);
        return inside.find_first_not_of(" \t\r\n") != std::string_view::npos;
    }
    bool found = false;
    forEachKept(token, false, [&](char c) {
        found = !isBlank(c);
        return !found;
    });
    return found;
}

// Calls `entry` with each comma- or semicolon-separated token of a header,
// group display names ("Team:") skipped.
template <typename Entry>
void forEachToken(std::string_view header, Entry entry)
{
    bool quoted = false;
    int comment = 0;
    bool angle = false;
    size_t start = 0;
    for (size_t i = 0; i < header.size(); ++i) {
        const char c = header[i];
        if (c == '\\' && (quoted || comment)) {
            ++i;
        } else if (c == '"' && !comment && !angle) {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '(' && !angle) {
            ++comment;
        } else if (c == ')' && comment) {
            --comment;
        } else if (comment) {
            continue;
        } else if (c == '<') {
            angle = true;
        } else if (c == '>') {
            angle = false;
        } else if (!angle && c == ':') {
            start = i + 1; // a group's display name: its members follow
        } else if (!angle && (c == ',' || c == ';')) {
            entry(header.substr(start, i - start));
            start = i + 1;
        }
    }
    entry(header.substr(start));
}

void collectNames(InternetAddressList* list, std::vector<std::string>& names)
{
    const int count = list ? internet_address_list_length(list) : 0;
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            collectNames(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), names);
            continue;
        }
        const char* mailbox = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
        if (!mailbox || !*mailbox)
            continue;
        const char* name = internet_address_get_name(address);
        names.push_back(toUtf8(name && *name ? name : mailbox, {}));
    }
}

GMimeAddressType addressType(std::string_view header)
{
    if (header == "From")
        return GMIME_ADDRESS_TYPE_FROM;
    if (header == "Cc")
        return GMIME_ADDRESS_TYPE_CC;
    if (header == "Bcc")
        return GMIME_ADDRESS_TYPE_BCC;
    return GMIME_ADDRESS_TYPE_TO;
}

} // namespace

std::vector<LooseAddress> splitAddressesLoosely(std::string_view header)
{
    std::vector<LooseAddress> out;
    forEachToken(header, [&](std::string_view token) {
        std::string address = addressOf(token);
        if (address.empty())
            return;
        const auto open = token.find('<');
        std::string name = open == std::string_view::npos ? std::string()
                                                          : decodeWords(stripSyntax(token.substr(0, open), true));
        out.push_back({std::move(name), toUtf8(address, {})});
    });
    return out;
}

std::vector<std::string> addressNames(GMimeMessage* message, const char* header)
{
    std::vector<std::string> names;
    collectNames(g_mime_message_get_addresses(message, addressType(header)), names);
    const char* raw = g_mime_object_get_header(GMIME_OBJECT(message), header);
    if (!raw || !*raw)
        return names;
    // Counting first keeps the common case (GMime kept everything) cheap.
    size_t entries = 0;
    forEachToken(raw, [&](std::string_view token) { entries += hasAddress(token) ? 1 : 0; });
    if (entries <= names.size())
        return names;
    std::vector<LooseAddress> loose = splitAddressesLoosely(raw);
    names.clear();
    for (LooseAddress& entry : loose)
        names.push_back(entry.name.empty() ? std::move(entry.address) : std::move(entry.name));
    return names;
}

} // namespace brisk::mailstore
