#pragma once
// The real clock and desktop, for the command-line program. The window uses
// Qt's desktop services instead.

#include "engine/Services.h"

namespace brisk {

class SystemClock : public Clock {
public:
    double now() override;
    void sleepFor(double seconds) override;
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
