#pragma once
// Reading ahead of the walk: worker threads open, parse and measure the next
// items of a folder while the walk analyses the current one, and hand them
// over in the folder's order. The walk still takes one item at a time and
// sees every value, error and exception exactly where it would have seen it
// reading the item itself; only the moment the work is done moves.
//
// Only items that own what they read (MailItem::readableOnAnyThread) are read
// ahead. For any other store each item is asked for when the walk needs it,
// on the walk's thread, as if there were no workers.
//
// Given parser processes (RemoteParse.h), each worker hands its items to a
// process of its own and only carries the replies: GMime on two threads of
// one process contends for GObject's shared state, two processes do not.

#include "engine/BodyScanner.h"
#include "engine/MailStore.h"
#include "engine/RemoteParse.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace brisk {

// Items a worker parsed, handed back once the walk is done with them so that
// the worker that built their parse trees also frees them. GLib's slice
// allocator, under GMime's objects, caches blocks per thread: blocks freed
// on the walk's thread pass back to the workers through its shared depot,
// under a lock, and that cost more than parsing ahead saved.
class WorkerBin {
public:
    // Takes the item, or leaves it with the caller once the worker is gone.
    void put(std::unique_ptr<MailItem>& item);
    // Frees what was handed back; on the worker's thread.
    void empty();
    // The worker stops: frees what is held and takes nothing more.
    void close();

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<MailItem>> m_items;
    bool m_open = true;
};

// An item read on a worker: the store's item with its values worked out and
// its body measured. Every accessor answers as the store's item does (its
// values and errors are those it kept); the body's figures come from the
// scan done ahead.
class ParsedItem final : public MeasuredItem {
public:
    // Reads every value the analysis asks for; never throws.
    // Quoted dates in the body are read in `locale`, which outlives the item.
    ParsedItem(std::unique_ptr<MailItem> item, const DateLocale& locale);
    // Handed back to `bin` when dropped, if the worker still runs.
    ParsedItem(std::unique_ptr<MailItem> item, const DateLocale& locale, std::shared_ptr<WorkerBin> bin);
    ~ParsedItem() override;
    ParsedItem(const ParsedItem&) = delete;
    ParsedItem& operator=(const ParsedItem&) = delete;

    BodyFacts bodyFacts() override;
    // The figures measured when the item was read: nullopt for an item that
    // is no mail item; throws the error reading the body gave.
    std::optional<BodyFacts> measuredFacts() const;

    const std::string& typeName() override { return m_item->typeName(); }
    double receivedTime() override { return m_item->receivedTime(); }
    const std::string& subject() override { return m_item->subject(); }
    const std::string& body() override { return m_item->body(); }
    void readBody(const BodyChunkSink& chunk) override { m_item->readBody(chunk); }
    std::int64_t size() override { return m_item->size(); }
    int attachmentCount() override { return m_item->attachmentCount(); }
    const std::vector<std::string>& recipients() override { return m_item->recipients(); }
    const std::string& senderName() override { return m_item->senderName(); }
    std::string messageId() override { return m_item->messageId(); }
    std::vector<std::string> inReplyTo() override { return m_item->inReplyTo(); }
    std::vector<std::string> references() override { return m_item->references(); }

private:
    std::unique_ptr<MailItem> m_item;
    std::shared_ptr<WorkerBin> m_bin;
    const DateLocale& m_locale;
    BodyMeasure m_body;
};

class ParseAhead {
public:
    // Items read ahead per worker: enough to keep every worker busy while
    // the walk takes one, few enough that a paused run holds little.
    static constexpr std::size_t kDepthPerThread = 8;
    // Items the walk waits for at once when it has caught up with the
    // workers: each wake costs two context switches, more than the
    // analysis of a few items.
    static constexpr std::size_t kWakeBatch = 4;

    // One fewer than the cores (none on one core), at most this many.
    static constexpr unsigned kMaxDefaultThreads = 7;
    static unsigned defaultThreads();

    explicit ParseAhead(unsigned threads = defaultThreads()) : m_threads(threads) {}
    ParseAhead(const ParseAhead&) = delete;
    ParseAhead& operator=(const ParseAhead&) = delete;
    ~ParseAhead();

    // Items a worker's parser process is sent at once, and items read ahead
    // per worker that has one: deep enough that the process always finds a
    // batch beyond the items the walk parses itself.
    static constexpr std::size_t kProcessBatch = 16;
    static constexpr std::size_t kProcessDepth = 256;
    // Parser processes that may end before the workers stop starting new
    // ones and parse on their own threads.
    static constexpr int kMaxProcessDeaths = 8;

    // Workers for the next range; 0 reads every item on the walk's thread.
    void setThreads(unsigned threads);
    unsigned threads() const { return m_threads; }
    // Each worker hands the items that have a recipe to a parser process
    // of its own, started by `processes`; without one (none given, none
    // could be started) it parses them on its own thread. One process for
    // each worker is started at once.
    void setProcesses(ParseChannelFactory processes);

    // Starts a range: items `first` to `last` of `folder`, taken in order.
    void begin(MailFolder& folder, long first, long last, const DateLocale& locale);
    // The item at `index`, the next of the range; throws what the store's
    // item(index) threw.
    std::unique_ptr<MailItem> take(long index);
    // Ends the range: items read ahead and not taken are dropped; a worker
    // busy with one finishes and drops it. Never waits for a worker.
    void end();

    // Whether the walk parses a queued item itself rather than wait for the
    // workers (the default). Tests turn it off to have every item read by
    // the workers.
    void setWalkHelps(bool helps) { m_walkHelps = helps; }

    // Items of the range held ahead of the walk (tests of the bound).
    std::size_t held() const { return m_window.size(); }

private:
    struct Slot {
        long index = 0;
        // The range's locale, set before the slot is queued: a worker still
        // busy with a dropped slot never reads the next range's fields.
        const DateLocale* locale = nullptr;
        std::unique_ptr<MailItem> item;
        std::exception_ptr error;
        bool done = false;
    };
    enum class Mode { Unknown, Direct, Ahead };

    using Slots = std::vector<std::shared_ptr<Slot>>;
    void startWorkers();
    void work(const std::shared_ptr<WorkerBin>& bin);
    void publish(Slot& slot, std::unique_ptr<MailItem> item, std::exception_ptr error = nullptr);
    void parseHere(Slot& slot, const std::shared_ptr<WorkerBin>& bin);
    // A process started ahead, else a new one; nullptr if none starts.
    std::unique_ptr<ParseChannel> process();
    void workRemote(std::unique_ptr<ParseChannel> channel, const std::shared_ptr<WorkerBin>& bin);
    void replaceProcess(std::unique_ptr<ParseChannel>& channel, std::deque<std::shared_ptr<Slot>>& inFlight,
                        bool& retried, const std::shared_ptr<WorkerBin>& bin);
    static std::string request(const Slot& slot, std::string recipe);
    static std::unique_ptr<MailItem> receive(ParseChannel& channel, Slot& slot);
    void fill();
    void queue(std::vector<std::shared_ptr<Slot>> slots);
    std::unique_ptr<MailItem> first(long index);

    unsigned m_threads;
    bool m_walkHelps = true;
    ParseChannelFactory m_processes;
    MailFolder* m_folder = nullptr;
    const DateLocale* m_locale = nullptr;
    long m_next = 0;
    long m_last = 0;
    Mode m_mode = Mode::Unknown;
    // The walk's side: requested items in index order.
    std::deque<std::shared_ptr<Slot>> m_window;

    // Shared with the workers, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_ready;
    std::deque<std::shared_ptr<Slot>> m_jobs;
    bool m_quit = false;
    std::atomic<int> m_processDeaths = 0;
    // Processes started before the workers that will take them.
    std::vector<std::unique_ptr<ParseChannel>> m_startedProcesses;
    // The slots the walk is waiting for, if it is: the next and the last
    // of its batch. A worker wakes it only on finishing one of them.
    const Slot* m_awaitedNext = nullptr;
    const Slot* m_awaitedLast = nullptr;
    std::vector<std::thread> m_workers;
};

} // namespace brisk
