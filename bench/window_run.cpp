// The main window's whole run, offscreen: opens a mail store, clicks Start on
// its default folder (or --folder PATH), lets the walk run to its end inside
// the click as the window does, and prints the wall time and the items.
//
// usage: window_run [--folder PATH] [--pause-after-ms N] [--screenshot FILE.png [--chart MODE]] STORE
//   --pause-after-ms N  a QTimer clicks Pause N ms into the run; prints how long
//                       the walk took to stop after the click, and after the
//                       moment the timer was due (the wait for the next yield)
//   --screenshot FILE   saves the window, grabbed after the run, as a PNG
//   --chart MODE        before the grab, clicks the chart mode: hours, days or months
//
// Output, one "key value" per line: items (processed), analysed, run_s (from
// the Start click to the end of the run), total_s (from entering main).

#include "platform/mailstore/OpenStore.h"
#include "platform/system/HostDateLocale.h"
#include "platform/system/ParseProcess.h"
#include "platform/system/SliceAllocator.h"
#include "platform/system/SystemServices.h"
#include "shell/StreamPrompts.h"
#include "ui/BRISKerUserForm.h"
#include "ui_BRISKerUserForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

struct Options {
    std::string store;
    std::string folder;
    std::optional<int> pauseAfterMs;
    std::string screenshot;
    std::string chart;
};

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--folder" && hasValue)
            o.folder = argv[++i];
        else if (a == "--pause-after-ms" && hasValue)
            o.pauseAfterMs = std::stoi(argv[++i]);
        else if (a == "--screenshot" && hasValue)
            o.screenshot = argv[++i];
        else if (a == "--chart" && hasValue)
            o.chart = argv[++i];
        else if (!a.empty() && a[0] != '-' && o.store.empty())
            o.store = a;
        else
            return false;
    }
    return !o.store.empty();
}

class NoDesktop : public brisk::Desktop {
public:
    void openUrl(const std::string&) override {}
    bool openFile(const std::filesystem::path&) override { return true; }
    bool openInTextEditor(const std::filesystem::path&) override { return true; }
};

// Serves events for a while: queued repaints, the panel's and the chart's
// screen-rate timers.
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Posts the Pause click; reports when it was due and when it ran.
struct PauseProbe {
    Clock::time_point due;
    Clock::time_point clicked;
    bool fired = false;

    void arm(brisk::BRISKerUserForm& window, int afterMs)
    {
        due = Clock::now() + std::chrono::milliseconds(afterMs);
        // A precise timer: a coarse one may fire 5% of its interval late.
        QTimer::singleShot(afterMs, Qt::PreciseTimer, &window, [this, &window] {
            clicked = Clock::now();
            fired = window.runState() == brisk::RunState::Running;
            window.form().StartButton->click();
        });
    }
};

} // namespace

BRISK_SLICES_FROM_MALLOC

int main(int argc, char** argv)
{
    const auto entered = Clock::now();
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: window_run [--folder PATH] [--pause-after-ms N] [--screenshot FILE.png [--chart MODE]] "
                     "STORE\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QApplication app(argc, argv);

    std::unique_ptr<brisk::MailStore> store;
    try {
        store = brisk::openMailStore(options.store, brisk::hostTimeZone());
    } catch (const std::exception& e) {
        std::cerr << "window_run: " << e.what() << "\n";
        return 1;
    }
    brisk::MailFolder* folder = options.folder.empty() ? nullptr : store->findFolder(options.folder);
    if (!options.folder.empty() && folder == nullptr) {
        std::cerr << "window_run: no folder " << options.folder << "\n";
        return 1;
    }

    brisk::StreamPrompts prompts;
    brisk::SystemClock clock(brisk::hostTimeZone());
    NoDesktop desktop;
    brisk::Settings settings;
    settings.SharedOutputFolder = "/nonexistent/window_run/"; // no usage log
    settings.applicationFolder = QCoreApplication::applicationDirPath().toStdString();
    settings.dateLocale = brisk::hostDateLocale();
    brisk::AppState state;
    brisk::BRISKerUserForm window(brisk::UiServices{prompts, clock, desktop, settings}, state);
    window.setParseProcesses(brisk::parseProcesses(BRISK_PARSER_PROGRAM));
    window.Form_Initialize(std::move(store));
    window.show();
    if (folder != nullptr) {
        window.setFolderPicker([folder](brisk::MailStore&, brisk::MailFolder*, QWidget*) {
            return brisk::FolderPick{folder, nullptr};
        });
        window.PickFolderButton_Click();
    }
    settle(50);

    PauseProbe pause;
    if (options.pauseAfterMs)
        pause.arm(window, *options.pauseAfterMs);
    const auto started = Clock::now();
    window.form().StartButton->click();
    const auto stopped = Clock::now();

    const auto& analysis = state.analysis;
    std::printf("items %d\nanalysed %d\nrun_s %.3f\n", analysis.lEmailsProcessed, analysis.lEmailsAnalysed,
                secondsBetween(started, stopped));
    if (options.pauseAfterMs) {
        if (!pause.fired) {
            std::printf("pause not_during_run\n");
        } else {
            std::printf("caption %s\npause_click_to_stop_ms %.3f\npause_due_to_stop_ms %.3f\n",
                        std::string(brisk::captionOf(window.runState())).c_str(), 1000 * secondsBetween(pause.clicked, stopped),
                        1000 * secondsBetween(pause.due, stopped));
        }
    }
    if (!options.screenshot.empty()) {
        if (options.chart == "hours")
            window.form().TimeOfDayOptionButton->click();
        else if (options.chart == "months")
            window.form().MonthOfYearOptionButton->click();
        settle(300);
        window.flushPanel();
        settle(50);
        if (!window.grab().save(QString::fromStdString(options.screenshot), "PNG")) {
            std::cerr << "window_run: cannot save " << options.screenshot << "\n";
            return 1;
        }
    }
    std::printf("total_s %.3f\n", secondsBetween(entered, Clock::now()));
    return 0;
}
