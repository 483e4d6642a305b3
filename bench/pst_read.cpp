// The cost of one message read from an Outlook data file against the same
// message read from a Maildir: opens the store and reads every value the
// analysis asks for (type, time, subject, body, size, attachments,
// recipients, sender, Message-ID) of every item of one folder.
//
// usage: pst_read FILE.pst FOLDER MAILDIR [Google Benchmark flags]
// (MAILDIR as written by scripts/pst-to-maildir FILE.pst FOLDER MAILDIR)

#include "engine/MailStore.h"
#include "platform/mailstore/OpenStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

void readFolder(benchmark::State& state, const std::string& store, const std::string& folderPath)
{
    for (auto _ : state) {
        const std::unique_ptr<brisk::MailStore> opened = brisk::openMailStore(store);
        brisk::MailFolder* folder = opened->findFolder(folderPath);
        if (!folder) {
            state.SkipWithError("no such folder");
            return;
        }
        const long n = folder->itemCount();
        for (long i = 1; i <= n; ++i) {
            const std::unique_ptr<brisk::MailItem> item = folder->item(i);
            benchmark::DoNotOptimize(item->typeName().size() + item->subject().size() + item->body().size()
                                     + item->recipients().size() + item->senderName().size()
                                     + item->messageId().size());
            benchmark::DoNotOptimize(item->receivedTime() + static_cast<double>(item->size())
                                     + item->attachmentCount());
        }
        state.SetItemsProcessed(state.items_processed() + n);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: pst_read FILE.pst FOLDER MAILDIR [benchmark flags]\n");
        return 2;
    }
    const std::string pst = argv[1], folder = argv[2], maildir = argv[3];
    benchmark::RegisterBenchmark("pst", [=](benchmark::State& state) { readFolder(state, pst, folder); });
    benchmark::RegisterBenchmark("maildir", [=](benchmark::State& state) { readFolder(state, maildir, ""); });
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
