// The window program: finds and opens the mail store (the one named on the
// command line, else the usual places, else the bundled sample store), then
// runs the main window with the installation settings and the real prompts,
// clock and desktop.

#include "platform/mailstore/OpenStore.h"
#include "platform/system/ParseProcess.h"
#include "platform/system/SliceAllocator.h"
#include "platform/system/SystemServices.h"
#include "shell/InstalledSettings.h"
#include "shell/StoreLocator.h"
#include "ui/BRISKerUserForm.h"
#include "ui/FolderPickerDialog.h"
#include "ui/QtServices.h"

#include <QApplication>
#include <QMessageBox>

#include <optional>

namespace {

std::unique_ptr<brisk::MailStore> tryOpen(const std::filesystem::path& path, brisk::Prompts& prompts,
                                          const brisk::TimeZone& zone, std::string& problem)
{
    try {
        return brisk::openMailStore(path.string(), prompts, zone);
    } catch (const std::exception& e) {
        problem = e.what();
        return nullptr;
    }
}

// The first candidate that opens; when none does, the user chooses a store
// or quits (nullptr).
std::unique_ptr<brisk::MailStore> openStore(const std::optional<std::string>& named,
                                            const std::filesystem::path& dataFolder, brisk::Prompts& prompts,
                                            const brisk::TimeZone& zone)
{
    std::string problem = "no mail store was found";
    for (const auto& candidate : brisk::storeCandidates(named, dataFolder))
        if (auto store = tryOpen(candidate, prompts, zone, problem))
            return store;
    while (true) {
        const auto answer = QMessageBox::warning(
            nullptr, "Brisk Vezoriv Rizovave",
            QString::fromStdString("No mail store could be opened (" + problem + ").\nChoose a mail store (a folder or a mailbox file)?"),
            QMessageBox::Open | QMessageBox::Close, QMessageBox::Open);
        if (answer != QMessageBox::Open)
            return nullptr;
        const QString path = brisk::chooseStorePath(nullptr, QString());
        if (path.isEmpty())
            continue;
        if (auto store = tryOpen(path.toStdString(), prompts, zone, problem))
            return store;
    }
}

} // namespace

BRISK_SLICES_FROM_MALLOC

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::filesystem::path programFolder = QCoreApplication::applicationDirPath().toStdString();
    const brisk::Settings settings = brisk::installedSettings(programFolder);
    std::optional<std::string> named;
    if (argc > 1)
        named = argv[1];
    brisk::QtPrompts prompts;
    auto store = openStore(named, settings.applicationFolder, prompts, settings.dateLocale.zone);
    if (!store)
        return 2;
    brisk::SystemClock clock(settings.dateLocale.zone);
    brisk::QtDesktop desktop;
    brisk::AppState state;
    brisk::BRISKerUserForm window(brisk::UiServices{prompts, clock, desktop, settings}, state);
    window.setParseProcesses(brisk::parseProcesses(brisk::parserBesideThisProgram()));
    prompts.setOwner(&window);
    window.Form_Initialize(std::move(store));
    window.show();
    return app.exec();
}
