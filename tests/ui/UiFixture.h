#pragma once
// A main window served by recording doubles, for the GUI tests.

#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"
#include "ui/BRISKerUserForm.h"
#include "ui_BRISKerUserForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <sstream>

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

// --- Whole runs through the window ---------------------------------------

// A folder whose item reads call back first, so that a test can click while
// the walk stands at a known item (the click then takes effect at the yield
// after that item).
class HookedFolder : public MemoryFolder {
public:
    using MemoryFolder::MemoryFolder;
    std::unique_ptr<MailItem> item(long index) override
    {
        if (onRead)
            onRead(index);
        return MemoryFolder::item(index);
    }
    std::function<void(long index)> onRead;
};

// A store whose default folder, Sent Items, is a HookedFolder.
class HookedStore : public MemoryStore {
public:
    MailFolder& defaultFolder() override { return sent; }
    HookedFolder sent{"Sent Items", &top()};
};

// The real window over a HookedStore, with the usage log in a temporary
// shared folder and the log template in a temporary application folder.
class WindowRunTest : public MainWindowTest {
protected:
    WindowRunTest()
    {
        settings.SharedOutputFolder = shared.path().string() + "/";
        settings.applicationFolder = appFolder.path();
        writeFile(appFolder / "log.txt", "");
    }

    // Form_Initialize with the store, then shows the window.
    void launch()
    {
        window->Form_Initialize(std::move(ownedStore));
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2)); }
    void clickStart() { click(ui.StartButton); }
    // Clicks Start, and Pause while the item at `index` of Sent Items is read:
    // the walk stops after that item.
    void startAndPauseAt(long index)
    {
        sent.onRead = [this, index](long read) {
            if (read == index)
                clickStart();
        };
        clickStart();
    }
    std::string caption() const { return ui.StartButton->text().toStdString(); }

    // What a value box or label shows on screen now.
    std::string shown(PanelBox box)
    {
        window->flushPanel();
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(panelBoxName(box)));
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            return edit->text().toStdString();
        if (auto* label = qobject_cast<QLabel*>(widget))
            return label->text().toStdString();
        ADD_FAILURE() << "no text widget " << panelBoxName(box);
        return {};
    }
    static std::vector<std::string> comboLines(const QComboBox& combo)
    {
        std::vector<std::string> lines;
        for (int i = 0; i < combo.count(); ++i)
            lines.push_back(combo.itemText(i).toStdString());
        return lines;
    }

    // Enabled: ExportButton, PickFolderButton, IgnoreDateFilterRadio,
    // DateFilterRadio, FromDatePickerText, ToDatePickerText.
    using Enabled = std::array<bool, 6>;
    Enabled runControlsEnabled() const
    {
        return {ui.ExportButton->isEnabled(), ui.PickFolderButton->isEnabled(),
                ui.IgnoreDateFilterRadio->isEnabled(), ui.DateFilterRadio->isEnabled(),
                ui.FromDatePickerText->isEnabled(), ui.ToDatePickerText->isEnabled()};
    }

    // Clicks the named button of the next modal dialog once it is shown
    // (the Results dialog's OKButton or CancelButton); records its title.
    void answerModalDialog(const char* buttonName, int attempts = 100)
    {
        QTimer::singleShot(0, [this, buttonName, attempts] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                if (attempts > 0)
                    answerModalDialog(buttonName, attempts - 1);
                return;
            }
            modalTitles.push_back(modal->windowTitle().toStdString());
            auto* button = modal->findChild<QAbstractButton*>(QString::fromLatin1(buttonName));
            if (button == nullptr) {
                ADD_FAILURE() << "no " << buttonName << " in the modal dialog";
                modal->close();
                return;
            }
            click(button);
        });
    }

    // The files in the shared output folder, by name.
    std::vector<std::string> sharedFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(shared.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The usage log's lines (each ended by CR LF), from the launch's log.
    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        if (window->vLogFilePath().empty())
            return lines;
        std::istringstream in(readFile(window->vLogFilePath()));
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r') << "line not ended by CR LF: " << line;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    // The action words of the log's lines.
    std::vector<std::string> logActions() const
    {
        std::vector<std::string> actions;
        for (const auto& line : logLines())
            actions.push_back(line.substr(line.find(',') + 1));
        return actions;
    }

    TempDir shared;
    TempDir appFolder;
    std::unique_ptr<HookedStore> ownedStore = std::make_unique<HookedStore>();
    HookedStore& store = *ownedStore;
    HookedFolder& sent = store.sent;
    std::vector<std::string> modalTitles;
};

} // namespace brisk::test
