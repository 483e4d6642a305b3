// The window program: shows the main window with the installation settings
// and the real prompts, clock and desktop.

#include "platform/system/SystemServices.h"
#include "shell/InstalledSettings.h"
#include "ui/BRISKerUserForm.h"
#include "ui/QtServices.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const brisk::Settings settings =
        brisk::installedSettings(QCoreApplication::applicationDirPath().toStdString());
    brisk::QtPrompts prompts;
    brisk::SystemClock clock;
    brisk::QtDesktop desktop;
    brisk::BRISKerUserForm window(brisk::UiServices{prompts, clock, desktop, settings});
    prompts.setOwner(&window);
    window.show();
    return app.exec();
}
