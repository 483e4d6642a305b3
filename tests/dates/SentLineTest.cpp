// The quoted "Sent: " lines of Outlook replies and forwards in the Enron
// sent_items folders: US long and short forms, UK forms, and lines damaged in
// the source (a year glued to the hour, a quoted-printable "=20" left behind).

#include "dates/DateText.h"
#include "tests/dates/DateTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace brisk {
namespace {

using test::isoOrRefused;

struct SentLineCase {
    std::string line;  // the text after "Sent: ", up to the line feed
    const char* dayFirst;
    const char* monthFirst;
};

// Copied from the corpus byte for byte (trailing blanks and CRs included).
const std::vector<SentLineCase>& realLines()
{
    static const std::vector<SentLineCase> lines = {
        {"Friday, December 21, 2001 1:32 PM\r", "2001-12-21 13:32:00", "2001-12-21 13:32:00"},
        {"Tuesday, September 11, 2001 11:30 AM\r", "2001-09-11 11:30:00", "2001-09-11 11:30:00"},
        {"  Monday, December 31, 2001 12:54 PM ", "2001-12-31 12:54:00", "2001-12-31 12:54:00"},
        {"Wednesday, January 16, 2002 6:26  PM ", "2002-01-16 18:26:00", "2002-01-16 18:26:00"},
        {"February 06, 2001 2:23 PM", "2001-02-06 14:23:00", "2001-02-06 14:23:00"},
        {"Fri 5/25/2001 12:04 AM ", "2001-05-25 00:04:00", "2001-05-25 00:04:00"},
        {"Fri 2/1/2002 3:48 PM ", "2002-01-02 15:48:00", "2002-02-01 15:48:00"},
        {"Mon 12/31/2001 9:55 AM ", "2001-12-31 09:55:00", "2001-12-31 09:55:00"},
        {"Sat 10/13/2001 11:32 AM ", "2001-10-13 11:32:00", "2001-10-13 11:32:00"},
        {"Sat 2/2/2002 10:55 AM ", "2002-02-02 10:55:00", "2002-02-02 10:55:00"},
        {"Wed 01/08/2001 11:38 ", "2001-08-01 11:38:00", "2001-01-08 11:38:00"},
        {"  09 October 2001 19:51", "2001-10-09 19:51:00", "2001-10-09 19:51:00"},
        {"17 November 2001 04:32\r", "2001-11-17 04:32:00", "2001-11-17 04:32:00"},
        {"Tuesday, February 05, 20022:14 PM", "refused", "refused"},
        {"Fri 12/21/2001 2:42 PM=20\r", "refused", "refused"},
        {"Mon 7/16/2001 8:51 AM=20\r", "refused", "refused"},
        {"woensdag 12 september 2001 17:52\r", "refused", "refused"},
    };
    return lines;
}

TEST(SentLine, HandPickedQuotedLinesReadAsTheirDates)
{
    for (const auto& c : realLines()) {
        EXPECT_EQ(isoOrRefused(parseDateText(c.line, DateOrder::DayFirst)), c.dayFirst) << '"' << c.line << '"';
        EXPECT_EQ(isoOrRefused(parseDateText(c.line, DateOrder::MonthFirst)), c.monthFirst) << '"' << c.line << '"';
    }
}

// The text after "Sent: " of every line that starts with it, in the files of
// enron/*/sent_items/cur; lines end at LF, a CR before it stays.
std::vector<std::string> collectSentLines(const std::filesystem::path& corpora)
{
    static const std::string kMarker = "Sent: ";
    std::vector<std::string> lines;
    for (const auto& user : std::filesystem::directory_iterator(corpora / "enron")) {
        const auto folder = user.path() / "sent_items" / "cur";
        if (!std::filesystem::is_directory(folder))
            continue;
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            std::ifstream in(file.path(), std::ios::binary);
            std::string line;
            while (std::getline(in, line))
                if (line.compare(0, kMarker.size(), kMarker) == 0)
                    lines.push_back(line.substr(kMarker.size()));
        }
    }
    return lines;
}

TEST(SentLine, HandPickedLinesOccurInTheCorpus)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const std::vector<std::string> lines = collectSentLines(corpora);
    for (const auto& c : realLines())
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << '"' << c.line << '"';
}

TEST(SentLine, NearlyAllCorpusLinesAreDatesOfTheirTime)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const std::vector<std::string> lines = collectSentLines(corpora);
    ASSERT_GT(lines.size(), 400u) << "the Enron sent_items folders hold 481 such lines";

    const DateValue earliest = makeDate(1990, 1, 1), latest = makeDate(2004, 1, 1);
    for (const DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst}) {
        std::size_t accepted = 0;
        for (const auto& line : lines) {
            const auto value = parseDateText(line, order);
            if (!value)
                continue;
            ++accepted;
            EXPECT_TRUE(*value >= earliest && *value < latest) << '"' << line << "\" " << isoOrRefused(value);
        }
        // Measured: 466 of 481 lines (96.9%). The rest are damaged in the
        // source ("=20", a year glued to the hour), in Dutch, or in the
        // "Wed Jan 16 14:36:59 2002" form.
        EXPECT_GT(static_cast<double>(accepted) / static_cast<double>(lines.size()), 0.95)
            << accepted << " of " << lines.size();
    }
}

} // namespace
} // namespace brisk
