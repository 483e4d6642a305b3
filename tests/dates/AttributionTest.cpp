// Attribution lines of the mail clients other than Outlook, in English,
// German, French, Spanish and Dutch, and the lines that look like them but
// are not. Tests run with TZ=UTC: a time with a zone is shown in UTC.

#include "dates/Attribution.h"
#include "tests/dates/DateTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace brisk {
namespace {

// "refused": no attribution line; "date only": one without a time.
std::string reading(std::string_view line, DateOrder order)
{
    const auto found = readAttribution(line, DateLocale{order, TimeZone::utc()});
    if (!found)
        return "refused";
    return found->sent ? formatIsoTimestamp(*found->sent) : "date only";
}

TEST(Attribution, FormsOfTheMailClientsReadAsTheirDateAndTime)
{
    struct Case {
        const char* line;
        const char* dayFirst;
        const char* monthFirst;
    } cases[] = {
        // Gmail, Apple Mail, Thunderbird, K-9 in English.
        {"On Mon, Jan 5, 2015 at 10:00 AM, Ann Smith <ann@x.org> wrote:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"On Jan 5, 2015, at 22:07, Ann Smith <ann@x.org> wrote:\r", "2015-01-05 22:07:00", "2015-01-05 22:07:00"},
        {"On 2015-01-05 10:00, Ann wrote:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"On 05/01/2015 10:00 PM, Ann wrote:", "2015-01-05 22:00:00", "2015-05-01 22:00:00"},
        {"On 1/13/15 9:05 am, Ann wrote:", "2015-01-13 09:05:00", "2015-01-13 09:05:00"},
        {"On Monday, 5 January 2015 at 10:00:30, Ann wrote:", "2015-01-05 10:00:30", "2015-01-05 10:00:30"},
        {"On Jan 5, 2015, at 10:00 p.m., Ann wrote:", "2015-01-05 22:00:00", "2015-01-05 22:00:00"},
        {"On Tue, 6 Jan 2015 10:00:00 +0100, Ann wrote:", "2015-01-06 09:00:00", "2015-01-06 09:00:00"},
        {"On 6 Jan 2015 12:00 GMT-5, Ann wrote:", "2015-01-06 17:00:00", "2015-01-06 17:00:00"},
        {"At 10:33 AM 12/5/2001 -0600, you wrote:", "2001-05-12 16:33:00", "2001-12-05 16:33:00"},
        // German, French, Spanish, Dutch: numeric dates day first.
        {"Am 05.01.2015 um 10:00 schrieb Ann Smith:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"Am Mo., 5. Jan. 2015 um 10:00 Uhr schrieb Ann <ann@x.de>:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"Am 3. M\xC3\xA4rz 2015 um 9:15 schrieb Ann:", "2015-03-03 09:15:00", "2015-03-03 09:15:00"},
        {"Le 5 janv. 2015 \xC3\xA0 10:00, Ann <ann@x.fr> a \xC3\xA9" "crit\xC2\xA0:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"Le mar. 3 mars 2015 \xC3\xA0 09:15, Ann a \xC3\xA9" "crit :", "2015-03-03 09:15:00", "2015-03-03 09:15:00"},
        {"Le 05/01/2015 10:00, Ann a \xC3\xA9" "crit :", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"El lun., 5 ene. 2015 a las 10:00, Ann (<ann@x.es>) escribi\xC3\xB3:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"El 5 de enero de 2015, a las 22:10, Ann escribi\xC3\xB3:", "2015-01-05 22:10:00", "2015-01-05 22:10:00"},
        {"Op ma 5 jan. 2015 om 10:00 schreef Ann <ann@x.nl>:", "2015-01-05 10:00:00", "2015-01-05 10:00:00"},
        {"Op 05-01-15 om 22:00 schreef Ann:", "2015-01-05 22:00:00", "2015-01-05 22:00:00"},
        {"Op 3 mrt. 2015 14:01, Ann schreef:", "2015-03-03 14:01:00", "2015-03-03 14:01:00"},
        // A date without a time marks the quote but gives no time.
        {"Am 05.01.2015 schrieb Ann:", "date only", "date only"},
        {"On 5 Jan 2015 at 13:00 PM, Ann wrote:", "date only", "date only"},
        // Near misses.
        {"On Monday, Ann wrote:", "refused", "refused"},
        {"On 5 Jan 2015 at 10:00, Ann said:", "refused", "refused"},
        {"On 5 Jan 2015 at 10:00, Ann wrote", "refused", "refused"},
        {"on 5 Jan 2015 at 10:00, Ann wrote:", "refused", "refused"},
        {"On 31 Feb 2015 at 10:00, Ann wrote:", "refused", "refused"},
        {"Le 5 janv. 2015 \xC3\xA0 10:00, Ann a dit :", "refused", "refused"},
        {"Am 05.01.2015 um 10:00 schrieb Ann", "refused", "refused"},
        {"> On 5 Jan 2015 at 10:00, Ann wrote:", "refused", "refused"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reading(c.line, DateOrder::DayFirst), c.dayFirst) << c.line;
        EXPECT_EQ(reading(c.line, DateOrder::MonthFirst), c.monthFirst) << c.line;
    }
}

TEST(Attribution, FirstUnquotedLineOfABodyAndWrappedLines)
{
    struct Case {
        const char* body;
        const char* line; // where the attribution line starts; "" for none
        const char* sent;
    } cases[] = {
        {"Thanks!\r\n\r\nOn 5 Jan 2015 at 10:00, Ann wrote:\r\n> Hi\r\n", "On 5", "2015-01-05 10:00:00"},
        // Gmail wraps a long line inside the address.
        {"Yes.\r\nOn Mon, Jan 5, 2015 at 10:00 AM, Ann Smith <\r\nann.smith@example.org> wrote:\r\n> Hi\r\n",
         "On Mon", "2015-01-05 10:00:00"},
        // An older quote's attribution is not the one the reply answers.
        {"ok\r\n> On 4 Jan 2015 at 09:00, Bob wrote:\r\nOn 5 Jan 2015 at 10:00, Ann wrote:\r\n", "On 5",
         "2015-01-05 10:00:00"},
        {"On the 5th, as Ann wrote:\r\nnothing quoted\r\n", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const std::string body = c.body;
        const auto found = findAttribution(body, DateLocale{});
        ASSERT_EQ(found.has_value(), *c.line != 0) << body;
        if (found) {
            EXPECT_EQ(found->offset, body.find(c.line)) << body;
            EXPECT_EQ(test::isoOrRefused(found->sent), c.sent) << body;
        }
    }
}

} // namespace
} // namespace brisk
