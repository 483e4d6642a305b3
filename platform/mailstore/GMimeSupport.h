#pragma once
// GMime plumbing shared by the mail store: one-time library set-up, RAII
// ownership of GObjects and the parser options every message is read with.
// Only files under platform/mailstore include this header.

#include <gmime/gmime.h>

#include <memory>
#include <string>

namespace brisk::mailstore {

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};

template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

// g_mime_init() exactly once per process.
void ensureGMime();

// Options shared by every parse: loose RFC compliance and fallback charsets
// (UTF-8, then windows-1252) so raw 8-bit header bytes come out as text.
GMimeParserOptions* parserOptions();

// Parses one message from a stream. Throws StoreError naming `where` when
// GMime cannot build a message from it.
GPtr<GMimeMessage> parseMessage(GMimeStream* stream, const std::string& where);

// A C string from GLib owned by the caller, released with g_free.
struct GFree {
    void operator()(gpointer p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFree>;

} // namespace brisk::mailstore
