#pragma once
// Display names of address headers (RFC 5322 section 3.4): a mailbox shows
// its name, else its address; groups are expanded to their members. An empty
// address ("<>", a bounce's return path) names nobody and is left out.

#include <string>
#include <string_view>
#include <vector>

typedef struct _GMimeMessage GMimeMessage;

namespace brisk::mailstore {

struct LooseAddress {
    std::string name;
    std::string address;
};

// A forgiving reading of a raw address header for when GMime's parser drops
// addresses it finds invalid (local parts such as "l..eisenstein"): splits at
// commas and semicolons outside quotes, comments and angle brackets, skips
// group names, takes the phrase before "<" as the name and the text inside
// "<...>" (or the bare token, comments removed) as the address.
std::vector<LooseAddress> splitAddressesLoosely(std::string_view header);

// Display names of one header ("To", "Cc", "Bcc", "From"): GMime's list, or
// the loose reading when it finds more entries than GMime kept.
std::vector<std::string> addressNames(GMimeMessage* message, const char* header);

} // namespace brisk::mailstore
