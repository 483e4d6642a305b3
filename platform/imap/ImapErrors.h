#pragma once
// The IMAP store's errors: a broken response (the connection is dropped and
// made again on the next call) besides the store's own StoreError and
// StoreDisconnected.

#include "engine/MailStore.h"

namespace brisk::imap {

class ProtocolError : public StoreError {
public:
    using StoreError::StoreError;
};

// The server refused one command (NO or BAD); the connection is still good.
class CommandFailed : public StoreError {
public:
    using StoreError::StoreError;
};

} // namespace brisk::imap
