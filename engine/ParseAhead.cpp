#include "engine/ParseAhead.h"

#include <algorithm>

namespace brisk {

void WorkerBin::put(std::unique_ptr<MailItem>& item)
{
    const std::lock_guard lock(m_mutex);
    if (m_open)
        m_items.push_back(std::move(item));
}

void WorkerBin::empty()
{
    std::vector<std::unique_ptr<MailItem>> items;
    {
        const std::lock_guard lock(m_mutex);
        items.swap(m_items);
    }
}

void WorkerBin::close()
{
    {
        const std::lock_guard lock(m_mutex);
        m_open = false;
    }
    empty();
}

ParsedItem::ParsedItem(std::unique_ptr<MailItem> item, const DateLocale& locale)
    : ParsedItem(std::move(item), locale, nullptr)
{
}

ParsedItem::ParsedItem(std::unique_ptr<MailItem> item, const DateLocale& locale, std::shared_ptr<WorkerBin> bin)
    : m_item(std::move(item)), m_bin(std::move(bin)), m_locale(locale)
{
    // The store's item keeps what it worked out; an accessor that fails
    // fails again, the same way, when the walk asks it.
    bool mail = false;
    try {
        mail = m_item->typeName() == "MailItem";
        m_item->receivedTime();
        m_item->subject();
        m_item->size();
        m_item->attachmentCount();
        m_item->recipients();
        m_item->senderName();
    } catch (const std::exception&) {
    }
    // Only a mail item's body is ever measured by the analysis.
    if (!mail)
        return;
    m_body.measure(*m_item, m_locale);
}

ParsedItem::~ParsedItem()
{
    if (m_bin)
        m_bin->put(m_item);
}

std::optional<BodyFacts> ParsedItem::measuredFacts() const
{
    return m_body.kept();
}

BodyFacts ParsedItem::bodyFacts()
{
    return m_body.facts(*m_item, m_locale);
}

unsigned ParseAhead::defaultThreads()
{
    // One worker fewer than the cores: the walk parses too whenever it would
    // wait. Measured on an idle two-core machine, a second worker beside the
    // walk only added switching (1.04 times the time of one).
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores, 1U, kMaxDefaultThreads + 1) - 1;
}

ParseAhead::~ParseAhead()
{
    setThreads(0);
}

void ParseAhead::setThreads(unsigned threads)
{
    end();
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_work.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
    m_quit = false;
    m_threads = threads;
}

void ParseAhead::setProcesses(ParseChannelFactory processes)
{
    setThreads(m_threads);
    m_processes = std::move(processes);
    m_processDeaths = 0;
    // Started now rather than at the first item: a process takes longer to
    // load its libraries than the store takes to open and list the folder,
    // and meanwhile the walk would parse alone.
    const std::lock_guard lock(m_mutex);
    m_startedProcesses.clear();
    for (unsigned i = 0; m_processes && i < m_threads; ++i) {
        if (std::unique_ptr<ParseChannel> channel = m_processes())
            m_startedProcesses.push_back(std::move(channel));
    }
}

std::unique_ptr<ParseChannel> ParseAhead::process()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_startedProcesses.empty()) {
            std::unique_ptr<ParseChannel> channel = std::move(m_startedProcesses.back());
            m_startedProcesses.pop_back();
            return channel;
        }
    }
    return m_processes ? m_processes() : nullptr;
}

void ParseAhead::startWorkers()
{
    while (m_workers.size() < m_threads)
        m_workers.emplace_back([this] {
            const auto bin = std::make_shared<WorkerBin>();
            work(bin);
            bin->close();
        });
}

void ParseAhead::work(const std::shared_ptr<WorkerBin>& bin)
{
    if (std::unique_ptr<ParseChannel> channel = process()) {
        workRemote(std::move(channel), bin);
        return;
    }
    for (;;) {
        // Items this worker parsed and the walk has done with; at most the
        // depth read ahead waits here while the worker is idle.
        bin->empty();
        std::shared_ptr<Slot> slot;
        {
            std::unique_lock lock(m_mutex);
            m_work.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                return;
            slot = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        // The walk touches a queued slot only once it is done. A slot the
        // walk dropped meanwhile (a pause) is freed here.
        parseHere(*slot, bin);
    }
}

// Hands the worker's parser process a batch of the items farthest ahead of
// the walk, which meanwhile parses the nearest ones itself: each wakes the
// other once a batch, and the replies are there before the walk needs them.
void ParseAhead::workRemote(std::unique_ptr<ParseChannel> channel, const std::shared_ptr<WorkerBin>& bin)
{
    std::deque<std::shared_ptr<Slot>> inFlight;
    bool retried = false;
    for (;;) {
        if (inFlight.empty()) {
            bin->empty();
            Slots batch;
            {
                std::unique_lock lock(m_mutex);
                // A batch, or what there is once the walk waits for it.
                m_work.wait(lock, [this] {
                    return m_quit || m_jobs.size() >= kProcessBatch / 2 || (m_awaitedNext && !m_jobs.empty());
                });
                if (m_quit)
                    return;
                const auto from = m_jobs.end() - static_cast<std::ptrdiff_t>(std::min(kProcessBatch, m_jobs.size()));
                batch.assign(std::make_move_iterator(from), std::make_move_iterator(m_jobs.end()));
                m_jobs.erase(from, m_jobs.end());
            }
            for (std::shared_ptr<Slot>& slot : batch) {
                std::string recipe = channel ? slot->item->recipe() : std::string();
                if (recipe.empty()) {
                    parseHere(*slot, bin);
                    continue;
                }
                // A process gone before it got this is found at its reply.
                channel->send(request(*slot, std::move(recipe)));
                inFlight.push_back(std::move(slot));
            }
            continue;
        }
        Slot& slot = *inFlight.front();
        if (std::unique_ptr<MailItem> item = receive(*channel, slot)) {
            publish(slot, std::move(item));
            inFlight.pop_front();
            retried = false;
            continue;
        }
        replaceProcess(channel, inFlight, retried, bin);
    }
}

// The worker's parser process ended, or answered with something that is no
// reply. A new one is started and is sent what the old one had not
// answered: the item it was reading goes first, for a second try; one that
// ends a second process is given up as an error of that item. With no
// process left the items are parsed here.
void ParseAhead::replaceProcess(std::unique_ptr<ParseChannel>& channel, std::deque<std::shared_ptr<Slot>>& inFlight,
                                bool& retried, const std::shared_ptr<WorkerBin>& bin)
{
    const std::string why = channel->whyGone();
    channel.reset();
    if (++m_processDeaths <= kMaxProcessDeaths)
        channel = m_processes();
    if (retried) {
        publish(*inFlight.front(), nullptr,
                std::make_exception_ptr(StoreError("the mail parser process stopped on this message: " + why)));
        inFlight.pop_front();
    }
    retried = !retried;
    for (const std::shared_ptr<Slot>& slot : inFlight) {
        if (channel)
            channel->send(request(*slot, slot->item->recipe()));
        else
            parseHere(*slot, bin);
    }
    if (!channel)
        inFlight.clear();
}

void ParseAhead::publish(Slot& slot, std::unique_ptr<MailItem> item, std::exception_ptr error)
{
    bool awaited = false;
    {
        const std::lock_guard lock(m_mutex);
        slot.item = std::move(item);
        slot.error = std::move(error);
        slot.done = true;
        awaited = &slot == m_awaitedNext || &slot == m_awaitedLast;
    }
    if (awaited)
        m_ready.notify_one();
}

void ParseAhead::parseHere(Slot& slot, const std::shared_ptr<WorkerBin>& bin)
{
    publish(slot, std::make_unique<ParsedItem>(std::move(slot.item), *slot.locale, bin));
}

std::string ParseAhead::request(const Slot& slot, std::string recipe)
{
    return encodeRequest({std::move(recipe), slot.locale->order, slot.locale->zone.id()});
}

std::unique_ptr<MailItem> ParseAhead::receive(ParseChannel& channel, Slot& slot)
{
    const std::optional<std::string> reply = channel.receive();
    if (!reply)
        return nullptr;
    try {
        return decodeReply(*reply, slot.item, *slot.locale);
    } catch (const StoreError&) {
        return nullptr; // a damaged reply: the process is replaced
    }
}

void ParseAhead::begin(MailFolder& folder, long first, long last, const DateLocale& locale)
{
    end();
    m_folder = &folder;
    m_locale = &locale;
    m_next = first;
    m_last = last;
    m_mode = m_threads > 0 ? Mode::Unknown : Mode::Direct;
}

void ParseAhead::end()
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.clear();
    }
    m_window.clear();
    m_folder = nullptr;
    m_mode = Mode::Unknown;
}

void ParseAhead::queue(std::vector<std::shared_ptr<Slot>> slots)
{
    if (slots.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        for (std::shared_ptr<Slot>& slot : slots)
            m_jobs.push_back(std::move(slot));
    }
    if (slots.size() == 1)
        m_work.notify_one();
    else
        m_work.notify_all();
}

// Asks the store for the items up to the depth ahead of the walk, in order,
// on the walk's thread: a store's folder is never read by two threads.
// Topped up by halves, so that the workers are woken for a batch of items,
// not for each one.
void ParseAhead::fill()
{
    const std::size_t depth = (m_processes ? kProcessDepth : kDepthPerThread) * m_threads;
    // With parser processes, topped up by a batch: the process takes its
    // batches from the far end as soon as there is one.
    if (m_window.size() > depth - (m_processes ? kProcessBatch : depth / 2))
        return;
    std::vector<std::shared_ptr<Slot>> batch;
    while (m_next <= m_last && m_window.size() < depth) {
        auto slot = std::make_shared<Slot>();
        slot->index = m_next++;
        slot->locale = m_locale;
        try {
            slot->item = m_folder->item(slot->index);
        } catch (const StoreDisconnected&) {
            // Nothing after a lost connection is asked for: the walk pauses
            // there and asks again on Resume.
            slot->error = std::current_exception();
            m_last = slot->index;
        } catch (...) {
            slot->error = std::current_exception();
        }
        m_window.push_back(slot);
        if (slot->item && slot->item->readableOnAnyThread())
            batch.push_back(slot);
        else
            slot->done = true; // an error, or an item read when the walk asks
    }
    queue(std::move(batch));
}

// The range's first item decides: read ahead when the store's items own
// what they read, else every item is asked for when the walk needs it.
std::unique_ptr<MailItem> ParseAhead::first(long index)
{
    std::unique_ptr<MailItem> item = m_folder->item(index);
    if (!item || !item->readableOnAnyThread()) {
        m_mode = Mode::Direct;
        return item;
    }
    m_mode = Mode::Ahead;
    startWorkers();
    auto slot = std::make_shared<Slot>();
    slot->index = index;
    slot->locale = m_locale;
    slot->item = std::move(item);
    m_window.push_back(slot);
    queue({slot});
    m_next = index + 1;
    return nullptr;
}

std::unique_ptr<MailItem> ParseAhead::take(long index)
{
    if (!m_folder)
        throw StoreError("no folder is being read");
    if (m_mode == Mode::Direct)
        return m_folder->item(index);
    if (m_mode == Mode::Unknown) {
        m_window.clear();
        if (std::unique_ptr<MailItem> direct = first(index); m_mode == Mode::Direct)
            return direct;
    }
    if (m_window.empty() || m_window.front()->index != index) {
        // Not the next item: start over from it.
        MailFolder& folder = *m_folder;
        const long last = m_last;
        const DateLocale& locale = *m_locale;
        begin(folder, index, last, locale);
        return take(index);
    }
    fill();
    const std::shared_ptr<Slot> slot = m_window.front();
    const std::shared_ptr<Slot> last = m_window[std::min(m_window.size(), kWakeBatch) - 1];
    m_window.pop_front();
    {
        std::unique_lock lock(m_mutex);
        while (!slot->done) {
            if (m_walkHelps && !m_jobs.empty()) {
                // Rather than wait for the workers, the walk parses the next
                // queued item itself (and frees it, on its own thread).
                const std::shared_ptr<Slot> job = std::move(m_jobs.front());
                m_jobs.pop_front();
                lock.unlock();
                auto parsed = std::make_unique<ParsedItem>(std::move(job->item), *job->locale);
                lock.lock();
                job->item = std::move(parsed);
                job->done = true;
                continue;
            }
            m_awaitedNext = slot.get();
            m_awaitedLast = last.get();
            if (!m_walkHelps)
                m_work.notify_all(); // a worker may be waiting for a fuller batch
            m_ready.wait(lock, [&] { return slot->done && last->done; });
            m_awaitedNext = m_awaitedLast = nullptr;
        }
    }
    if (slot->error)
        std::rethrow_exception(slot->error);
    return std::move(slot->item);
}

} // namespace brisk
