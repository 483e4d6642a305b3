#pragma once
// What the engine tests share: mail made from a few fields, one item analysed
// as the walk analyses it, and a whole run through the window without a screen.

#include "engine/MessageAnalysis.h"
#include "engine/ThreadIndex.h"
#include "engine/UsageLogSink.h"
#include "shell/HeadlessWindow.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <functional>
#include <tuple>

namespace brisk::test {

inline MemoryItem mail(DateValue received, std::string body = "Hi there\r\n", std::string subject = "Hello",
                       std::vector<std::string> inReplyTo = {}, std::vector<std::string> references = {})
{
    MemoryItem item;
    std::tie(item.receivedTime, item.body, item.subject, item.inReplyTo, item.references) =
        std::tie(received, body, subject, inReplyTo, references);
    return item;
}

inline MemoryItem original(const char* messageId, DateValue received)
{
    MemoryItem item = mail(received);
    item.messageId = messageId;
    return item;
}

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
struct StoreFirst {
    MemoryStore store;
};

// A run of the picked folder on 6 December 2026 09:00; `onItem` is called
// after every item.
template <class Window = HeadlessWindow>
struct BasicRun {
    explicit BasicRun(MailFolder* picked = nullptr) : window(app, prompts, log, clock)
    {
        window.onYield = [this] {
            if (onItem)
                onItem();
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

    AppState app;
    RecordingPrompts prompts;
    RecordingLog log;
    FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    Window window;
    std::function<void()> onItem;
};
using EngineRun = BasicRun<>;

} // namespace brisk::test
