#include "engine/AnalysisState.h"

#include "stats/Rounding.h"

#include <algorithm>
#include <cmath>

namespace brisk {

void PerItemArrays::recreate(std::int64_t capacity)
{
    const auto slots = static_cast<std::size_t>(capacity + 1);
    auto renew = [slots](auto& array, auto fill) {
        using Array = std::decay_t<decltype(array)>;
        Array fresh(slots, static_cast<typename Array::value_type>(fill));
        array.swap(fresh);
    };
    renew(vItemHour, -1);
    renew(vItemWeekday, -1);
    renew(vItemMonth, -1);
    renew(vItemResponseHours, -1);
    renew(vItemResponseMinutes, -1);
    renew(vItemWords, 0);
    renew(vItemSizeKB, 0);
    renew(vItemAttachments, 0);
    renew(vItemRecipients, 0);
    renew(vItemSender, 0);
    renew(vItemReceiver, 0);
    renew(responded, false);
    exists = true;
}

void PerItemArrays::ensureSlot(std::int64_t slot)
{
    if (slot < 0)
        throw std::out_of_range("item slot out of range");
    if (slot < static_cast<std::int64_t>(vItemHour.size()))
        return;
    // Grow by half again, so that a long run reallocates rarely while the
    // slack stays small.
    const auto size = std::max<std::size_t>(static_cast<std::size_t>(slot) + 1, vItemHour.size() * 3 / 2);
    auto grow = [size](auto& array, auto fill) {
        array.resize(size, static_cast<typename std::decay_t<decltype(array)>::value_type>(fill));
    };
    grow(vItemHour, -1);
    grow(vItemWeekday, -1);
    grow(vItemMonth, -1);
    grow(vItemResponseHours, -1);
    grow(vItemResponseMinutes, -1);
    grow(vItemWords, 0);
    grow(vItemSizeKB, 0);
    grow(vItemAttachments, 0);
    grow(vItemRecipients, 0);
    grow(vItemSender, 0);
    grow(vItemReceiver, 0);
    grow(responded, false);
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
