#pragma once
// One walk over a message's MIME tree (RFC 2046) that finds what the item
// reports without decoding any part: the body candidates, the attachments and
// the parts that make a message a report or a meeting request.

#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/TextStream.h"

#include <cstdint>
#include <string>

namespace brisk::mailstore {

struct PartSummary {
    GMimeObject* plainText = nullptr; // first text/plain that is not an attachment
    GMimeObject* html = nullptr;      // first text/html that is not an attachment
    int attachments = 0;
    bool report = false;  // top level multipart/report (RFC 6522)
    bool meeting = false; // a text/calendar part with a METHOD (RFC 6047)
};

PartSummary summariseParts(GMimeMessage* message);

// A leaf part is an attachment when its disposition says so or it carries a
// file name (inline images with a name count too).
bool isAttachment(GMimeObject* part);

// The part's content, transfer encoding undone, converted to UTF-8.
std::string decodedText(GMimeObject* part);

// Bytes of the part's content as stored (before its transfer decoding); -1
// when the stream cannot tell.
std::int64_t storedLength(GMimeObject* part);

// The part's content as a body's text: transfer encoding undone (RFC 2045
// section 6), converted to UTF-8, HTML turned into text when `html`, lines
// ended by CR LF. The text decodedText, htmlToText and toCrLf give, streamed
// through fixed buffers: the part is read from its source once to choose the
// charset and once more to convert it.
void streamBodyText(GMimeObject* part, bool html, const TextSink& sink);

} // namespace brisk::mailstore
