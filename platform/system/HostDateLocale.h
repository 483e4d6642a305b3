#pragma once
// The user's date locale as the environment gives it: the order of numeric
// dates from the effective LC_TIME locale, the zone from TZ or the system's
// /etc/localtime. Read once by the program's start-up, then passed down.

#include "dates/DateLocale.h"

#include <string>

namespace brisk {

// The effective LC_TIME locale name: LC_ALL overrides LC_TIME overrides
// LANG; an empty variable counts as unset (POSIX.1-2017, 8.2).
std::string hostTimeLocaleName();

// The zone TZ names (":Europe/Berlin", a zoneinfo path, "UTC"), else the one
// /etc/localtime links to or /etc/timezone names; UTC when none is known, as
// the C library falls back for a zone it cannot read.
TimeZone hostTimeZone();

DateLocale hostDateLocale();

} // namespace brisk
