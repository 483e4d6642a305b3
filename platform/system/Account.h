#pragma once
// The account record of a user (the passwd database), read in one place.

#include <sys/types.h>

#include <optional>
#include <string>

namespace brisk {

struct AccountRecord {
    std::string login;
    // The GECOS field: "Full Name,Room,Work phone,Home phone,Other".
    std::string gecos;
    std::string home;
};

// The record of `uid`; nullopt when the database has none or cannot be read.
std::optional<AccountRecord> accountRecord(uid_t uid);

// The display name of the account running the program: the full name of its
// account record (up to the first comma), else the login name, else $USER,
// else the user id.
std::string accountDisplayName();

} // namespace brisk
