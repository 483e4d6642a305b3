#pragma once
// What the windows are served by: message boxes, the clock, the desktop and
// the installation settings. The real program passes Qt-backed services,
// tests pass recording doubles.

#include "engine/Services.h"
#include "engine/Settings.h"

namespace brisk {

struct UiServices {
    Prompts& prompts;
    Clock& clock;
    Desktop& desktop;
    const Settings& settings;
};

} // namespace brisk
