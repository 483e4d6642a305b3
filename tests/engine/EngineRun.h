#pragma once
// What the engine tests share: one item analysed as the walk analyses it, and
// a whole run through the window without a screen. Mail is made from a few
// fields with designated initialisers: MemoryItem{.subject = "Re: x"}.

#include "engine/MessageAnalysis.h"
#include "engine/ThreadIndex.h"
#include "engine/UsageLogSink.h"
#include "shell/HeadlessWindow.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <functional>

namespace brisk::test {

// The first n values, as ints.
template <class Values>
std::vector<int> first(const Values& values, std::size_t n)
{
    return std::vector<int>(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
}

// Items fed one by one to ProcessMessage; `feed` returns the item's slot.
struct Analysed {
    explicit Analysed(double folderCount = 10) { PrepareAnalysisArrays(state, folderCount); }
    std::size_t feed(MemoryItem data, const DateFilter& filter = {}, ReplyThreads threads = {})
    {
        folder.items = {std::move(data)};
        ProcessMessage(state, folder.item(1).get(), filter, prompts, threads);
        return static_cast<std::size_t>(state.lEmailsProcessed - 1);
    }
    AnalysisState state;
    RecordingPrompts prompts;
    MemoryFolder folder{"Sent Items", nullptr};
};

// A base put before the run: its store outlives the run, as a store outlives the window.
template <class Store = MemoryStore>
struct StoreFirst {
    Store store;
};

// A run of the picked folder on 6 December 2026 09:00; `onItem` is called
// after every item, then Start (Pause) is clicked after item `pauseAt`.
template <class Window = HeadlessWindow>
struct BasicRun {
    explicit BasicRun(MailFolder* picked = nullptr, std::int32_t pause = -1)
        : window(app, prompts, log, clock), pauseAt(pause)
    {
        window.onYield = [this] {
            if (onItem)
                onItem();
            if (processed() == pauseAt)
                click();
        };
        if (picked)
            pick(*picked);
    }
    void pick(MailFolder& folder)
    {
        app.session.oPickedFolder = &folder;
        window.ResetLabels();
    }
    void click() { window.controller().StartButton_Click(); }
    std::int32_t processed() const { return app.analysis.lEmailsProcessed; }
    std::string box(PanelBox b) const { return window.panel.boxText(b); }
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> all;
        for (int b = 0; b < kPanelBoxCount; ++b)
            all.push_back(box(static_cast<PanelBox>(b)));
        return all;
    }

    AppState app;
    RecordingPrompts prompts;
    RecordingLog log;
    FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    Window window;
    std::function<void()> onItem;
    std::int32_t pauseAt;
};
using EngineRun = BasicRun<>;

} // namespace brisk::test
