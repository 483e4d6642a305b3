#pragma once
// The attribution line that most mail clients other than Outlook write above
// a quoted original: "On Mon, Jan 5, 2015 at 10:00 AM, Ann <a@x.org> wrote:",
// "Am 05.01.2015 um 10:00 schrieb Ann:", "Le 5 janv. 2015 à 10:00, Ann a
// écrit :", "El 5 ene 2015, a las 10:00, Ann escribió:", "Op 5 jan. 2015 om
// 10:00 schreef Ann:", Eudora's "At 10:33 AM 12/5/2001 -0600, you wrote:".

#include "dates/DateLocale.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace brisk {

struct Attribution {
    // Where the line starts in the body.
    std::size_t offset = 0;
    // The quoted date and time; nullopt when the line gives a date only.
    std::optional<DateValue> sent;
};

// Reads one attribution line (a wrapped one joined with blanks): its opener,
// a date with an optional time, the writer and the verb ending it. Numeric
// English dates follow the locale's order; the other languages put the day
// first. A time with a zone ("-0600", "GMT+1") is turned into the locale's
// zone; one without is local already.
std::optional<Attribution> readAttribution(std::string_view line, const DateLocale& locale);

// True when the line begins as an attribution line of some client does: only
// such a line can start one.
bool opensAttribution(std::string_view line);

// The first attribution line of a body among its lines that do not begin
// with ">" (those belong to an older quote). A line may wrap onto two more.
std::optional<Attribution> findAttribution(std::string_view body, const DateLocale& locale);

} // namespace brisk
