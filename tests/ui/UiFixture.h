#pragma once
// The real main window over an in-memory store, served by recording doubles:
// the usage log goes to a temporary shared folder, the log template lies in a
// temporary application folder, the clock stands at 1 March 2024, noon.

#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"
#include "ui/BRISKerUserForm.h"
#include "ui_BRISKerUserForm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sstream>

namespace brisk::test {

// Records, and takes the keyboard focus as a real message box does.
struct FocusTakingPrompts : RecordingPrompts {
    void message(const std::string& text, const std::string& title) override
    {
        RecordingPrompts::message(text, title);
        if (focusThief != nullptr)
            focusThief->setFocus();
    }
    QWidget* focusThief = nullptr;
};

// Calls back before each item is read: a test clicks at a known item.
struct HookedFolder : MemoryFolder {
    using MemoryFolder::MemoryFolder;
    std::unique_ptr<MailItem> item(long index) override
    {
        if (onRead)
            onRead(index);
        return MemoryFolder::item(index);
    }
    std::function<void(long index)> onRead;
};

struct HookedStore : MemoryStore {
    MailFolder& defaultFolder() override { return sent; }
    HookedFolder sent{"Sent Items", &top()};
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        settings.SharedOutputFolder = shared.path().string() + "/";
        settings.AdminUserName = "Admin User";
        settings.ProductHomePageUrl = "https://home.example.test/";
        settings.HowItWorksPageUrl = "https://home.example.test/how";
        settings.applicationFolder = appFolder.path();
        writeFile(appFolder / "log.txt", "");
    }

    void launch()
    {
        window->Form_Initialize(std::move(ownedStore));
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2)); }
    void clickStart() { click(ui.StartButton); }
    std::string caption() const { return ui.StartButton->text().toStdString(); }

    std::string shown(PanelBox box)
    {
        window->flushPanel();
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(panelBoxName(box)));
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            return edit->text().toStdString();
        return qobject_cast<QLabel*>(widget)->text().toStdString();
    }
    // The Start caption, the senders list's text, then what `boxes` show.
    std::vector<std::string> texts(std::initializer_list<PanelBox> boxes)
    {
        std::vector<std::string> all{caption(), ui.TopSendersCombo->currentText().toStdString()};
        for (PanelBox box : boxes)
            all.push_back(shown(box));
        return all;
    }
    static std::vector<std::string> lines(const QComboBox& combo)
    {
        std::vector<std::string> all;
        for (int i = 0; i < combo.count(); ++i)
            all.push_back(combo.itemText(i).toStdString());
        return all;
    }

    // ExportButton, PickFolderButton, IgnoreDateFilterRadio, DateFilterRadio,
    // FromDatePickerText, ToDatePickerText.
    using Enabled = std::array<bool, 6>;
    Enabled enabled() const
    {
        return {ui.ExportButton->isEnabled(), ui.PickFolderButton->isEnabled(), ui.IgnoreDateFilterRadio->isEnabled(),
                ui.DateFilterRadio->isEnabled(), ui.FromDatePickerText->isEnabled(), ui.ToDatePickerText->isEnabled()};
    }

    // Runs `act` on the next modal dialog once it is shown (looked for in the
    // next 100 turns of the event loop).
    void onModalDialog(const std::function<void(QWidget&)>& act, int turns = 100)
    {
        QTimer::singleShot(0, window.get(), [this, act, turns] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr && turns > 0)
                return onModalDialog(act, turns - 1);
            if (modal != nullptr)
                act(*modal);
        });
    }

    std::vector<std::string> logActions() const
    {
        std::vector<std::string> actions;
        std::istringstream in(window->vLogFilePath().empty() ? "" : readFile(window->vLogFilePath()));
        for (std::string line; std::getline(in, line);)
            actions.push_back(line.substr(line.find(',') + 1, line.size() - line.find(',') - 2)); // CR LF
        return actions;
    }

    TempDir shared;
    TempDir appFolder;
    FocusTakingPrompts prompts;
    FakeClock clock{45352.5};
    RecordingDesktop desktop;
    Settings settings;
    AppState state;
    std::unique_ptr<BRISKerUserForm> window =
        std::make_unique<BRISKerUserForm>(UiServices{prompts, clock, desktop, settings}, state);
    Ui::BRISKerUserForm& ui = window->form();
    std::unique_ptr<HookedStore> ownedStore = std::make_unique<HookedStore>();
    HookedStore& store = *ownedStore;
    HookedFolder& sent = store.sent;
};

} // namespace brisk::test
