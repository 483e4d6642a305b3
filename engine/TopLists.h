#pragma once
// Top senders and receivers: the ten names that occur most often as sender
// and as first recipient among the analysed e-mails, each with its share,
// as list lines for the window and as six tables for the results workbook.

#include "engine/AnalysisState.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace brisk {

class Prompts;

// Slot p holds place p + 1; slots the last refresh did not fill hold the
// empty text (an empty name, no count, no share).
struct TopListTables {
    static constexpr int kSlots = 11;
    std::array<std::string, kSlots> vTopSenderNames;
    std::array<std::optional<std::int32_t>, kSlots> vTopSenderCounts;
    std::array<std::optional<double>, kSlots> vTopSenderShares;
    std::array<std::string, kSlots> vTopReceiverNames;
    std::array<std::optional<std::int32_t>, kSlots> vTopReceiverCounts;
    std::array<std::optional<double>, kSlots> vTopReceiverShares;

    void clear();
};

enum class TopList { Senders, Receivers };

// The two drop-down lists as the window shows them.
class TopListView {
public:
    virtual ~TopListView() = default;
    virtual void clearList(TopList list) = 0;
    virtual void addLine(TopList list, const std::string& line) = 0;
    // The text shown by the list's edit box.
    virtual void setListText(TopList list, const std::string& text) = 0;
    virtual void enableLists() = 0;
};

// "name padded to 15|share%": the name cut to 15 characters and padded with
// blanks, then the share times 100.
std::string topListLine(const std::string& name, double share);

// Rebuilds both lists and the six tables from the analysed items.
void UpdateSenderReceiverList(const AnalysisState& state, TopListTables& tables, TopListView& view,
                              Prompts& prompts);
// Empties both lists and shows their titles.
void ResetSenderReceiverList(TopListView& view);

// A TopListView that keeps the lines, for the command line and tests.
class TextTopLists : public TopListView {
public:
    void clearList(TopList list) override { lines[index(list)].clear(); }
    void addLine(TopList list, const std::string& line) override { lines[index(list)].push_back(line); }
    void setListText(TopList list, const std::string& text) override { texts[index(list)] = text; }
    void enableLists() override { enabled = true; }

    std::vector<std::string> lines[2];
    std::string texts[2] = {"Top Senders List", "Top Receivers List"};
    bool enabled = false;

private:
    static int index(TopList list) { return list == TopList::Senders ? 0 : 1; }
};

} // namespace brisk
