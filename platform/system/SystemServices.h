#pragma once
// The real clock and desktop, for the command-line program. The window uses
// Qt's desktop services instead.

#include "dates/TimeZone.h"
#include "engine/Services.h"

namespace brisk {

// The system's time of day, as a date value in the zone it is given.
class SystemClock : public Clock {
public:
    explicit SystemClock(TimeZone zone) : m_zone(std::move(zone)) {}
    double now() override;
    void sleepFor(double seconds) override;

private:
    TimeZone m_zone;
};

// Opens files and addresses with xdg-open, detached, without waiting; a file
// counts as opened when xdg-open could be started.
class XdgDesktop : public Desktop {
public:
    void openUrl(const std::string& url) override;
    bool openFile(const std::filesystem::path& file) override;
    bool openInTextEditor(const std::filesystem::path& file) override;
};

} // namespace brisk
