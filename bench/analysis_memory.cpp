// Memory and time of the analysis state over a long run, without a mail
// store: 200,000 synthetic items (names from a pool of about 2,000 people,
// about 30% replies with a quoted "Sent: " line) go through ProcessMessage,
// the panel refresh after every item and the top-list rebuild once per 1% of
// the folder, as a run does. Prints the bytes of per-item state per analysed
// message and the time per item of each step.
//
// usage: analysis_memory [ITEMS [FIRST_CAPACITY_SOURCE]]
//   FIRST_CAPACITY_SOURCE is the item count PrepareAnalysisArrays starts
//   from (default 1000, so the per-item arrays grow as a tree walk makes them).

#include "engine/AnalysisState.h"
#include "engine/MailStore.h"
#include "engine/MessageAnalysis.h"
#include "engine/ResultsPanel.h"
#include "engine/Services.h"
#include "engine/TopLists.h"
#include "dates/DateValue.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The few values the analysis reads, held in memory.
class SyntheticItem : public brisk::MailItem {
public:
    std::string type = "MailItem";
    double received = 0;
    std::string subjectText, bodyText, sender;
    std::vector<std::string> to;
    std::int64_t bytes = 0;
    int attachments = 0;

    const std::string& typeName() override { return type; }
    double receivedTime() override { return received; }
    const std::string& subject() override { return subjectText; }
    const std::string& body() override { return bodyText; }
    std::int64_t size() override { return bytes; }
    int attachmentCount() override { return attachments; }
    const std::vector<std::string>& recipients() override { return to; }
    const std::string& senderName() override { return sender; }
};

class CountingPrompts : public brisk::Prompts {
public:
    void message(const std::string&, const std::string&) override { ++shown; }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    long shown = 0;
};

class SyntheticFolder : public brisk::MailFolder {
public:
    explicit SyntheticFolder(long items) : m_items(items) {}
    const std::string& name() const override { return m_name; }
    std::string path() const override { return m_name; }
    MailFolder* parent() const override { return nullptr; }
    long itemCount() override { return m_items; }
    std::unique_ptr<brisk::MailItem> item(long) override { return nullptr; }
    const std::vector<MailFolder*>& folders() override { return m_none; }

private:
    long m_items;
    std::string m_name = "Sent Items";
    std::vector<MailFolder*> m_none;
};

// Makes items one at a time from a fixed seed: Zipf-like choice of people,
// office-hours times over two years, a third of them replies.
class ItemMaker {
public:
    ItemMaker() : m_rng(20240601)
    {
        const char* first[] = {"Alex", "Sam", "Maria", "Chen", "Olga", "Priya", "John", "Fatima", "Luca", "Anna",
                               "Kenji", "Omar", "Claire", "David", "Ines", "Hannah", "Pierre", "Elena", "Grace", "Noah"};
        const char* last[] = {"Smith", "Mueller", "Garcia", "Wang", "Ivanova", "Patel", "Brown", "Khan", "Rossi",
                              "Nowak", "Okafor", "Dubois", "Svensson", "Silva", "Tanaka", "Martin", "Cohen", "Costa",
                              "Haddad", "Fischer", "Moreau", "Popescu", "Ruiz", "Kim", "Walsh", "Sato", "Iyer",
                              "Ferrari", "Jones", "Evans"};
        for (int i = 0; i < 2000; ++i)
            m_people.push_back(std::string(first[i % 20]) + " " + last[(i / 20) % 30] +
                               (i >= 600 ? " (" + std::to_string(i / 600) + ")" : ""));
        m_words = "the project plan meeting review budget draft report numbers forecast team client deadline";
    }

    void make(SyntheticItem& item)
    {
        const double day = std::uniform_int_distribution<int>(0, 729)(m_rng);
        const int hour = std::normal_distribution<double>(13, 3)(m_rng);
        item.received = brisk::makeDate(2019, 1, 1) + day + (std::clamp(hour, 0, 23) * 60 + m_rng() % 60) / 1440.0;
        const bool reply = m_rng() % 10 < 3;
        item.subjectText = reply ? "RE: Budget review " + std::to_string(m_rng() % 500) : "Budget review";
        item.bodyText.assign(m_words, 0, 40 + m_rng() % 60);
        item.bodyText += "\r\nThanks,\r\nAlex\r\n";
        if (reply) {
            const auto sent = brisk::splitDate(item.received - (1 + m_rng() % 600) / 1440.0);
            char line[96];
            std::snprintf(line, sizeof line, "Sent: %02d/%02d/%04d %02d:%02d\r\n", sent.day, sent.month, sent.year,
                          sent.hour, sent.minute);
            item.bodyText += "\r\n-----Original Message-----\r\nFrom: " + person() + "\r\n" + line +
                             "To: Alex Morgan\r\nSubject: Budget review\r\n\r\n" + m_words;
        }
        item.sender = m_rng() % 4 == 0 ? person() : "Alex Morgan";
        item.to.assign(1 + (m_rng() % 3 == 0 ? m_rng() % 6 : 0), std::string());
        for (std::string& name : item.to)
            name = person();
        item.bytes = 1500 + m_rng() % 9000;
        item.attachments = m_rng() % 10 == 0 ? 1 : 0;
        item.type = m_rng() % 100 == 0 ? "MeetingItem" : "MailItem";
    }

private:
    const std::string& person()
    {
        const double u = std::uniform_real_distribution<double>(0, 1)(m_rng);
        return m_people[static_cast<std::size_t>(std::pow(u, 3.0) * (m_people.size() - 1))];
    }

    std::mt19937_64 m_rng;
    std::vector<std::string> m_people;
    std::string m_words;
};

template <typename Vector>
std::size_t heldBytes(const Vector& v)
{
    return v.capacity() * sizeof(typename Vector::value_type);
}

std::size_t perItemBytes(const brisk::AnalysisState& s)
{
    const brisk::PerItemArrays& a = s.items;
    std::size_t bytes = heldBytes(a.vItemHour) + heldBytes(a.vItemWeekday) + heldBytes(a.vItemMonth) +
                        heldBytes(a.vItemResponseHours) + heldBytes(a.vItemResponseMinutes) +
                        heldBytes(a.vItemWords) + heldBytes(a.vItemSizeKB) + heldBytes(a.vItemAttachments) +
                        heldBytes(a.vItemRecipients) + heldBytes(a.vItemSender) + heldBytes(a.vItemReceiver);
    bytes += a.responded.capacity() / 8;
    // The median's two heaps hold one int32 per response time; a vector
    // under a priority_queue has at most twice that capacity.
    bytes += s.responseMinutes.count() * sizeof(std::int32_t) * 2;
    return bytes;
}

// Name storage of the ranked counters: per distinct name its text (with
// std::string's own footprint), a hash-map node, a count and a set node.
std::size_t nameBytes(const brisk::RankedCounter& counter, std::size_t names)
{
    (void)counter;
    const std::size_t perName = sizeof(std::string) + 24 /* text beyond SSO, typical */ + 48 /* map node */ +
                                sizeof(std::uint32_t) + 40 /* set node */;
    return names * perName;
}

double nanosPer(Clock::duration d, long items)
{
    return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(items);
}

} // namespace

int main(int argc, char** argv)
{
    const long items = argc > 1 ? std::atol(argv[1]) : 200000;
    const double firstCapacity = argc > 2 ? std::atof(argv[2]) : 1000;
    brisk::AnalysisState state;
    brisk::TextPanel panel;
    brisk::TextTopLists lists;
    brisk::TopListTables tables;
    CountingPrompts prompts;
    SyntheticFolder folder(items);
    brisk::ResetLabels(state, &folder, panel, prompts);
    brisk::PrepareAnalysisArrays(state, firstCapacity);

    ItemMaker maker;
    SyntheticItem item;
    const brisk::DateFilter noFilter;
    const long topListEvery = std::max(1L, items / 100);
    Clock::duration analyse{}, labels{}, topList{};
    long rebuilds = 0;
    std::size_t senderNames = 0, receiverNames = 0;
    for (long n = 1; n <= items; ++n) {
        maker.make(item);
        auto t0 = Clock::now();
        brisk::ProcessMessage(state, &item, noFilter, prompts);
        auto t1 = Clock::now();
        brisk::UpdateLabels(state, &folder, panel, prompts);
        auto t2 = Clock::now();
        analyse += t1 - t0;
        labels += t2 - t1;
        if (n == 1 || n % topListEvery == 0) {
            brisk::UpdateSenderReceiverList(state, tables, lists, prompts);
            topList += Clock::now() - t2;
            ++rebuilds;
        }
    }
    senderNames = state.names.senders.distinct();
    receiverNames = state.names.receivers.distinct();

    const double analysed = state.lEmailsAnalysed;
    const std::size_t slots = perItemBytes(state);
    const std::size_t names = nameBytes(state.names.senders, senderNames) + nameBytes(state.names.receivers, receiverNames);
    std::printf("items %ld analysed %d responses %d errors shown %ld first capacity source %.0f\n", items,
                state.lEmailsAnalysed, state.lResponseCount, prompts.shown, firstCapacity);
    std::printf("per-item slots %zu (capacity %lld)\n", state.items.vItemHour.size(),
                static_cast<long long>(state.items.capacity()));
    std::printf("bytes per analysed item: arrays+median %.1f names %.1f total %.1f (goal <= 64)\n", slots / analysed,
                names / analysed, (slots + names) / analysed);
    std::printf("ns per item: ProcessMessage %.0f UpdateLabels %.0f top lists %.0f (amortised over %ld rebuilds, "
                "%.0f us each) total %.0f\n",
                nanosPer(analyse, items), nanosPer(labels, items), nanosPer(topList, items), rebuilds,
                nanosPer(topList, rebuilds) / 1000, nanosPer(analyse + labels + topList, items));
    std::printf("top sender %s\n", lists.lines[0].empty() ? "(none)" : lists.lines[0].front().c_str());
    return prompts.shown == 0 ? 0 : 1;
}
