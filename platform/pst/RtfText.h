#pragma once
// Text of an RTF body (an Outlook item's compressed RTF, decompressed). A
// mail client that stored an HTML message as RTF encapsulated it (\fromhtml1,
// MS-OXRTFEX): that HTML is recovered and read as HTML; any other RTF is
// stripped to its text. UTF-8 out, lines ended by LF.

#include <string>
#include <string_view>

namespace brisk::pst {

// The encapsulated HTML when `rtf` carries one (\fromhtml1), else its text.
struct RtfContent {
    std::string text;
    bool isHtml = false;
};

RtfContent readRtf(std::string_view rtf);

} // namespace brisk::pst
