// The cost of the Message-ID index a run builds: the time of the store's
// scan job over the whole store (headers only, what the run's second thread
// does; ThreadIndex::build where the store has no job) against the time of a
// whole brisk-cli run over the default folder, both in one process with the
// files in the page cache, medians of RUNS runs; and the index's memory.
//
// usage: thread_index STORE [RUNS]

#include "engine/MailStore.h"
#include "engine/ThreadIndex.h"
#include "platform/mailstore/OpenStore.h"
#include "shell/Cli.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

brisk::ThreadIndex indexOf(brisk::MailFolder& root)
{
    auto job = root.threadHeaderScan();
    if (!job)
        return brisk::ThreadIndex::build(root);
    brisk::ThreadIndex index;
    const std::atomic<bool> stop{false};
    job->run([&index](std::string_view id, double received) { index.add(id, received); }, stop);
    index.seal();
    return index;
}

double processCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall and CPU seconds of `work`: on a machine shared with other work the
// CPU time moves far less than the wall time.
struct Seconds {
    double wall = 0;
    double cpu = 0;
};

template <typename Work>
Seconds secondsOf(Work&& work)
{
    const auto start = Clock::now();
    const double cpu = processCpuSeconds();
    work();
    return {std::chrono::duration<double>(Clock::now() - start).count(), processCpuSeconds() - cpu};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: thread_index STORE [RUNS]\n");
        return 2;
    }
    const std::string store = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<double> index, run, indexCpu, runCpu;
    std::size_t entries = 0, bytes = 0;
    for (int i = 0; i <= runs; ++i) {
        // A fresh store each time, so no folder listing is cached between runs.
        auto opened = brisk::openMailStore(store);
        const Seconds built = secondsOf([&] {
            const brisk::ThreadIndex threads = indexOf(opened->root());
            entries = threads.size();
            bytes = threads.bytes();
        });
        std::ostringstream out, err;
        const Seconds whole = secondsOf([&] { brisk::runCli({"--json", store}, out, err); });
        if (i == 0)
            continue; // warm-up: fills the page cache
        index.push_back(built.wall);
        run.push_back(whole.wall);
        indexCpu.push_back(built.cpu);
        runCpu.push_back(whole.cpu);
    }
    const double indexSeconds = median(index), runSeconds = median(run);
    std::printf("index_entries %zu\nindex_bytes %zu\nindex_s %.3f\nrun_s %.3f\n", entries, bytes, indexSeconds,
                runSeconds);
    std::printf("index_share_of_run %.3f\nrun_without_index_s %.3f\nslowdown %.3f\n", indexSeconds / runSeconds,
                runSeconds - indexSeconds, runSeconds / (runSeconds - indexSeconds));
    std::printf("index_cpu_s %.3f\nrun_cpu_s %.3f\nindex_cpu_share_of_run %.3f\n", median(indexCpu), median(runCpu),
                median(indexCpu) / median(runCpu));
    return 0;
}
