#pragma once
// Parser processes: the program brisk-parse, started once per worker that
// reads ahead of the walk, reads the messages it is sent (by recipe) and
// answers with what the analysis reads of them. Requests and replies are
// frames on a Unix socket: a 32-bit little-endian length, then the bytes.

#include "engine/RemoteParse.h"

#include <filesystem>

namespace brisk {

// The parser program of the running one (beside it, or in its libexec
// folder once installed); empty when none is there.
std::filesystem::path parserBesideThisProgram();

// Starts `program` once for each worker; the factory gives nullptr when the
// program cannot be started.
ParseChannelFactory parseProcesses(std::filesystem::path program);

// The reply to one request: the item its recipe names, read as the walk
// reads it. Throws StoreError for a request that is none.
std::string answerParseRequest(std::string_view request);

// The parser process's loop: requests from `in`, replies to `out` (both one
// socket), until `in` ends. Returns the process's exit status: 0 at the
// end of the requests, 1 when the line broke or a request was malformed.
int serveParseRequests(int in, int out);

} // namespace brisk
