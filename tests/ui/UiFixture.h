#pragma once
// A main window served by recording doubles, for the GUI tests.

#include "tests/support/TestSupport.h"
#include "ui/BRISKerUserForm.h"
#include "ui_BRISKerUserForm.h"

#include <gtest/gtest.h>

#include <memory>

namespace brisk::test {

inline Settings uiTestSettings()
{
    Settings settings;
    settings.SharedOutputFolder = "/nonexistent/shared/";
    settings.AdminUserName = "Admin User";
    settings.ProductHomePageUrl = "https://home.example.test/";
    settings.HowItWorksPageUrl = "https://home.example.test/how";
    return settings;
}

// Records like RecordingPrompts and, as a real message box does, takes the
// keyboard focus while it is shown.
class FocusTakingPrompts : public RecordingPrompts {
public:
    void message(const std::string& text, const std::string& title) override
    {
        RecordingPrompts::message(text, title);
        if (focusThief != nullptr)
            focusThief->setFocus();
    }
    QWidget* focusThief = nullptr;
};

class MainWindowTest : public ::testing::Test {
protected:
    FocusTakingPrompts prompts;
    // 1 March 2024, noon.
    FakeClock clock{45352.5};
    RecordingDesktop desktop;
    Settings settings = uiTestSettings();
    std::unique_ptr<BRISKerUserForm> window =
        std::make_unique<BRISKerUserForm>(UiServices{prompts, clock, desktop, settings});
    Ui::BRISKerUserForm& ui = window->form();
};

} // namespace brisk::test
