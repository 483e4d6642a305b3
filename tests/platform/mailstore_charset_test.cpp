// Single-byte charsets converted by table must give exactly what iconv gives,
// byte for byte, holes included; charsets whose bytes do not convert one by
// one must never get a table.

#include "platform/mailstore/SingleByte.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace brisk::mailstore {
namespace {

std::optional<std::string> iconvUtf8(std::string_view bytes, const char* from)
{
    gsize written = 0;
    gchar* out = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", from, nullptr, &written, nullptr);
    if (!out)
        return std::nullopt;
    std::string text(out, written);
    g_free(out);
    return text;
}

std::optional<std::string> tableUtf8(const SingleByteTable& table, std::string_view bytes)
{
    std::string out;
    return table.convert(bytes, out) ? std::optional(out) : std::nullopt;
}

TEST(SingleByteTable, GivesWhatIconvGivesForEveryByteAndText)
{
    std::mt19937 random(11);
    for (const char* name : {"ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-5", "ISO-8859-7", "ISO-8859-9",
                             "ISO-8859-15", "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1253",
                             "WINDOWS-1257", "KOI8-R", "KOI8-U", "CP866", "CP850", "MACINTOSH", "TIS-620"}) {
        SCOPED_TRACE(name);
        const SingleByteTable* table = SingleByteTable::find(name);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(SingleByteTable::find(name), table) << "built once";
        std::string mapped; // every byte iconv converts, for the random text
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            EXPECT_EQ(tableUtf8(*table, byte), iconvUtf8(byte, name)) << "byte " << b;
            if (iconvUtf8(byte, name))
                mapped += byte;
        }
        std::string text;
        for (int i = 0; i < 2000; ++i)
            text += mapped[random() % mapped.size()];
        EXPECT_EQ(tableUtf8(*table, text), iconvUtf8(text, name));
        EXPECT_EQ(tableUtf8(*table, text + "\x81"), iconvUtf8(text + "\x81", name)) << "0x81, a hole in some";
    }
}

TEST(SingleByteTable, NoneForMultiByteStatefulComposingOrUnknownCharsets)
{
    // CP1255 and CP1258 hold a letter back to compose it with a following
    // mark; UTF-7 and ISO-2022 shift; EBCDIC is not ASCII.
    for (const char* name : {"UTF-8", "UTF-7", "UTF-16", "SHIFT_JIS", "GB18030", "BIG5", "EUC-JP", "ISO-2022-JP",
                             "CP1255", "CP1258", "EBCDIC-US", "NO-SUCH-CHARSET"})
        EXPECT_EQ(SingleByteTable::find(name), nullptr) << name;
}

} // namespace
} // namespace brisk::mailstore
