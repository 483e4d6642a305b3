// The pieces of the Outlook data file store that need no file: RTF bodies
// to text, message classes to item types, code pages to charsets, entry ids
// to node ids, FILETIME to Unix time and the threading ids of header blocks.

#include "platform/pst/PffSupport.h"
#include "platform/pst/PstItem.h"
#include "platform/pst/RtfText.h"
#include "platform/pst/ThreadHeaders.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace brisk::pst;

namespace {

TEST(PstRtf, PlainRtfIsStrippedToItsText)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({\rtf1\ansi Hello\par World})", "Hello\nWorld"},
        // Font, colour and style tables, document info and starred groups hold no text.
        {R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red0;}{\*\generator X;}{\info{\title T}}Body})", "Body"},
        // \'hh bytes in the \ansicpg code page; escaped braces and backslash.
        {R"({\rtf1\ansi\ansicpg1252 caf\'e9 \{x\} a\\b})", "café {x} a\\b"},
        {R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8})", "При"},
        // \uN with its \ucN fallback characters skipped; a negative N; a surrogate pair.
        {R"({\rtf1\uc1\u8364?\u-3913?\uc2\u233xx!})", "€\uF0B7é!"},
        {R"({\rtf1\uc1\u-10179?\u-8704?})", "😀"},
        // \binN data may hold braces; field results stay, instructions go.
        {"{\\rtf1 a{\\pict\\bin4 }}{x}b}", "ab"},
        {"{\\rtf1 a\\bin3 x}{b}", "ab"},
        {R"({\rtf1{\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt link}} text})", "link text"},
        {R"({\rtf1 a\tab b\line c\emdash d\lquote e\rquote})", "a\tb\nc\u2014d\u2018e\u2019"},
        {R"({\rtf1{\shp{\*\shpinst{\sp{\sn fFilled}{\sv 0}}}}Text})", "Text"},
        // Cut off or unbalanced input ends where it ends.
        {R"({\rtf1 trunc\'e)", "trunc"},
        {R"({\rtf1 a}}}} b)", "a b"},
    };
    for (const auto& [rtf, text] : cases) {
        const RtfContent content = readRtf(rtf);
        EXPECT_FALSE(content.isHtml) << rtf;
        EXPECT_EQ(content.text, text) << rtf;
    }
}

// MS-OXRTFEX: HTML tags live in {\*\htmltag} groups, text between them is
// HTML content, and \htmlrtf ... \htmlrtf0 marks RTF-only text. Hostile
// nesting and cut-off control words stay bounded.
TEST(PstRtf, EncapsulatedHtmlIsRecoveredAndHostileNestingStaysBounded)
{
    const char* rtf = "{\\rtf1\\ansi\\ansicpg1252\\fromhtml1 \\deff0{\\fonttbl{\\f0 Arial;}}\n"
                      "{\\*\\htmltag19 <html>}{\\*\\htmltag50 <body>}\\htmlrtf \\ltrpar\\htmlrtf0 \n"
                      "{\\*\\htmltag96 <div>}\\htmlrtf {\\htmlrtf0 Hej r\\'e4tt{\\*\\htmltag72}\\htmlrtf\\par}\\htmlrtf0\n"
                      "{\\*\\htmltag104 </div>}\\htmlrtf }\\htmlrtf0 \n"
                      "{\\*\\htmltag84 &lt;}{\\*\\htmltag58 </body>}{\\*\\htmltag27 </html>}}";
    const RtfContent content = readRtf(rtf);
    EXPECT_TRUE(content.isHtml);
    EXPECT_EQ(content.text, "<html><body><div>Hej rätt</div>&lt;</body></html>");
    const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "}";
    EXPECT_EQ(readRtf(deep).text, "x");
    EXPECT_EQ(readRtf("").text, "");
    EXPECT_EQ(readRtf("\\").text, "");
    EXPECT_EQ(readRtf("{\\rtf1 \\u99999999999999999999 \\bin-5 a}").text.back(), 'a');
}

// Message class prefixes match whole dot-separated segments in any case;
// unknown classes keep their name.
TEST(PstItemValues, MessageClassesCodePagesEntryIdsAndFiletimes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ipm.note", "MailItem"}, {"IPM.Note.SMIME.MultipartSigned", "MailItem"}, {"IPM.Notes", "IPM.Notes"},
        {"IPM.Schedule.Meeting.Canceled", "MeetingItem"}, {"Report.IPM.Note.IPNRN", "ReportItem"},
        {"IPM.Appointment", "AppointmentItem"}, {"IPM.Task", "TaskItem"}, {"IPM.TaskRequest.Accept", "TaskRequestItem"},
        {"IPM.StickyNote", "NoteItem"}, {"IPM.Outlook.Recall", "IPM.Outlook.Recall"}, {"", "MailItem"},
    };
    for (const auto& [messageClass, type] : cases)
        EXPECT_EQ(itemTypeName(messageClass), type) << messageClass;
    const std::pair<std::uint32_t, const char*> pages[] = {
        {65001, "utf-8"}, {1250, "windows-1250"}, {28592, "iso-8859-2"}, {932, "shift_jis"}, {1249, ""}, {0, ""}};
    for (const auto& [codepage, charset] : pages)
        EXPECT_EQ(charsetOfCodepage(codepage), charset) << codepage;

    const std::string entryId = std::string(20, '\0') + std::string("\xc2\x80\x00\x00", 4); // flags, UID, node id
    EXPECT_EQ(nodeIdOfEntryId(entryId), 0x80c2u);
    EXPECT_EQ(nodeIdOfEntryId(entryId + "x"), std::nullopt);
    EXPECT_EQ(nodeIdOfEntryId(""), std::nullopt);

    EXPECT_EQ(filetimeToUnix(116444736000000000ULL), 0);
    EXPECT_EQ(filetimeToUnix(130378746623305478ULL), 1393401062); // 2014-02-26 07:51:02.33 UTC
}

TEST(PstThreadHeaders, IdsComeFromTheTransportHeaderBlock)
{
    const ThreadHeaders folded = threadHeadersOf("Received: from x by y; Wed, 26 Feb 2014 08:50:04 +0100\r\n"
                                                 "Message-ID: <530D9CAC.5080901@gmail.com>\r\nReferences: <a@x>\r\n"
                                                 " <b@y> (comment)\r\n\t<c@z>\r\nIn-Reply-To: <c@z>\r\nSubject: x\r\n");
    using Ids = std::vector<std::string>;
    EXPECT_EQ(std::tie(folded.messageId, folded.inReplyTo, folded.references),
              std::tuple("530D9CAC.5080901@gmail.com", Ids{"c@z"}, Ids{"a@x", "b@y", "c@z"}));

    // Bare LF line ends and no final blank line, as some stores keep them.
    const ThreadHeaders bare = threadHeadersOf("Message-Id: <m@h>\nIn-Reply-To: <p@h>");
    EXPECT_EQ(std::tie(bare.messageId, bare.inReplyTo, bare.references), std::tuple("m@h", Ids{"p@h"}, Ids{}));
    EXPECT_TRUE(threadHeadersOf("").messageId.empty());
    EXPECT_TRUE(threadHeadersOf("garbage without colon\r\n").references.empty());
    EXPECT_EQ(messageIdsOf("<a@b> <c@d>"), (Ids{"a@b", "c@d"}));
    EXPECT_TRUE(messageIdsOf("").empty());
}

} // namespace
