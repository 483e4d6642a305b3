#include "engine/AnalysisState.h"

#include "stats/Rounding.h"

#include <algorithm>
#include <cmath>

namespace brisk {

namespace {

// Every per-item array with its fill value, so that recreating and growing
// treat them all alike.
template <typename Arrays, typename Visit>
void forEachArray(Arrays& a, Visit&& visit)
{
    visit(a.vItemHour, -1);
    visit(a.vItemWeekday, -1);
    visit(a.vItemMonth, -1);
    visit(a.vItemResponseHours, -1);
    visit(a.vItemResponseMinutes, -1);
    visit(a.vItemWords, 0);
    visit(a.vItemSizeKB, 0);
    visit(a.vItemAttachments, 0);
    visit(a.vItemRecipients, 0);
    visit(a.vItemSender, 0);
    visit(a.vItemReceiver, 0);
    visit(a.responded, 0);
}

template <typename Array>
typename Array::value_type fillOf(const Array&, int fill)
{
    return static_cast<typename Array::value_type>(fill);
}

} // namespace

void PerItemArrays::recreate(std::int64_t capacity)
{
    const auto slots = static_cast<std::size_t>(capacity + 1);
    forEachArray(*this, [slots](auto& array, int fill) {
        std::decay_t<decltype(array)> fresh(slots, fillOf(array, fill));
        array.swap(fresh);
    });
    exists = true;
}

void PerItemArrays::ensureSlot(std::int64_t slot)
{
    if (slot < 0)
        throw std::out_of_range("item slot out of range");
    if (slot < static_cast<std::int64_t>(vItemHour.size()))
        return;
    // Grow by half again, so that a long run reallocates rarely while the
    // slack stays small. The reserve matters: resize() alone lets libstdc++
    // double the capacity, which would leave up to half of it unused.
    const auto size = std::max<std::size_t>(static_cast<std::size_t>(slot) + 1, vItemHour.size() * 3 / 2);
    forEachArray(*this, [size](auto& array, int fill) {
        array.reserve(size);
        array.resize(size, fillOf(array, fill));
    });
    exists = true;
}

void PerItemArrays::erase()
{
    *this = PerItemArrays{};
}

void resetStatistics(AnalysisState& state)
{
    state.lEmailsAnalysed = 0;
    state.lEmailsProcessed = 0;
    state.lTotalChars = 0;
    state.lTotalWords = 0;
    state.lTotalSizeKB = 0;
    state.lResponseCount = 0;
    state.lOneToOneEmails = 0;
    state.lTotalSizeWithAttKB = 0;
    state.lTotalSizeWoAttKB = 0;
    state.responseSources.fill(0);
    std::fill(state.vDayCount.begin(), state.vDayCount.end(), 0);
    state.dayCountMax = 0;
    state.vAvgEmailChars = state.lTotalChars;
    state.vHourCount.fill(0);
    state.vWeekdayCount.fill(0);
    state.vMonthCount.fill(0);
    state.dFirstEmailDate = AnalysisState::kFirstDateSentinel();
    state.dLastEmailDate = AnalysisState::kLastDateSentinel();
    state.responseMinutes.clear();
    state.names.senders.clear();
    state.names.receivers.clear();
}

void setRunWindow(AnalysisState& state, DateValue runStart)
{
    state.vWindowEnd = std::max(AnalysisState::kEarliestWindowEnd(), datePart(runStart) + 1);
    const auto cells = static_cast<std::size_t>(daysBetween(state.vWindowStart, state.vWindowEnd) + 1);
    state.vDayCount.assign(cells, 0);
    state.dayCountMax = 0;
}

void PrepareAnalysisArrays(AnalysisState& state, double capacitySource)
{
    double n = capacitySource;
    if (n < 1)
        n = 1;
    n *= 1.2;
    state.vHourCount.fill(0);
    state.vWeekdayCount.fill(0);
    state.vMonthCount.fill(0);
    state.vHourPercent.fill(0);
    state.vWeekdayPercent.fill(0);
    state.vMonthPercent.fill(0);
    state.items.recreate(static_cast<std::int64_t>(roundHalfEven(n)));
    for (auto* b : {&state.vHourWords, &state.vHourWithAtt, &state.vHourRecipients, &state.vHourOneToOne})
        b->fill(0);
    for (auto* b : {&state.vWeekdayWords, &state.vWeekdayWithAtt, &state.vWeekdayRecipients,
                    &state.vWeekdayOneToOne})
        b->fill(0);
    for (auto* b : {&state.vMonthWords, &state.vMonthWithAtt, &state.vMonthRecipients, &state.vMonthOneToOne})
        b->fill(0);
}

void EraseAnalysisArrays(AnalysisState& state)
{
    if (state.items.exists)
        state.items.erase();
}

} // namespace brisk
