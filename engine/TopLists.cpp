#include "engine/TopLists.h"

#include "engine/Services.h"
#include "engine/StepGuard.h"
#include "stats/ArrayStats.h"
#include "stats/Rounding.h"
#include "stats/Text.h"

#include <exception>

namespace brisk {
namespace {

struct TableRefs {
    std::array<std::string, TopListTables::kSlots>& names;
    std::array<std::optional<std::int32_t>, TopListTables::kSlots>& counts;
    std::array<std::optional<double>, TopListTables::kSlots>& shares;
};

void buildList(const RankedCounter& counter, std::int32_t analysed, TableRefs tables, TopList list,
               TopListView& view)
{
    // The ranking is RankByCount's order: count descending, equal counts by
    // name descending in code-value order. At most ten places are taken.
    const auto top = counter.topK(10);
    for (std::size_t p = 0; p < top.size(); ++p) {
        const auto& [name, count] = top[p];
        tables.names[p] = name;
        tables.counts[p] = static_cast<std::int32_t>(count);
        tables.shares[p] = roundHalfEven(static_cast<double>(count) / analysed, 2);
        view.addLine(list, topListLine(name, *tables.shares[p]));
    }
    view.setListText(list, top.empty() ? std::string() : topListLine(top[0].name, *tables.shares[0]));
}

} // namespace

void TopListTables::clear()
{
    vTopSenderNames.fill({});
    vTopSenderCounts.fill(std::nullopt);
    vTopSenderShares.fill(std::nullopt);
    vTopReceiverNames.fill({});
    vTopReceiverCounts.fill(std::nullopt);
    vTopReceiverShares.fill(std::nullopt);
}

std::string topListLine(const std::string& name, double share)
{
    return PadRight(leftUtf16(name, 15), " ", 15) + "|" + formatNumber(share * 100) + "%";
}

void UpdateSenderReceiverList(const AnalysisState& state, TopListTables& tables, TopListView& view,
                              Prompts& prompts)
{
    const StepGuard step(prompts, "UpdateSenderReceiverList", state.lEmailsProcessed);
    step([&] {
        view.clearList(TopList::Senders);
        view.clearList(TopList::Receivers);
    });
    step([&] { tables.clear(); });
    if (state.lEmailsAnalysed != 0) {
        step([&] {
            buildList(state.names.senders, state.lEmailsAnalysed,
                      {tables.vTopSenderNames, tables.vTopSenderCounts, tables.vTopSenderShares}, TopList::Senders,
                      view);
        });
        step([&] {
            buildList(state.names.receivers, state.lEmailsAnalysed,
                      {tables.vTopReceiverNames, tables.vTopReceiverCounts, tables.vTopReceiverShares},
                      TopList::Receivers, view);
        });
    }
    step([&] { view.enableLists(); });
}

void ResetSenderReceiverList(TopListView& view)
{
    view.clearList(TopList::Senders);
    view.clearList(TopList::Receivers);
    view.setListText(TopList::Senders, "Top Senders List");
    view.setListText(TopList::Receivers, "Top Receivers List");
}

} // namespace brisk
