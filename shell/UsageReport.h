#pragma once
// The usage report: every usage log of the shared output folder summarised
// into one comma-separated file, one row per log with its owner, its duration
// in minutes and its time-stamped actions.

#include "engine/Services.h"
#include "engine/Settings.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace brisk {

inline constexpr std::string_view kUsageReportHeader = "Owner,Duration(min),Time,Action,Time,Action,...";

// One report row: owner, the minutes from the first time stamp to the last
// line's time stamp (0 when either is not in the log's form or the log has at
// most one line), then every line followed by a comma.
std::string usageReportRow(const std::string& owner, const std::vector<std::string>& lines);

// The account owning the file (links not followed), or its numeric uid when
// the account is unknown; empty when the file cannot be examined.
std::string fileOwnerName(const std::filesystem::path& file);

// Writes reportFolder/"BMAusageAsOn<DD-MM-YY HH-MM-SS>.csv" from the ".txt"
// files (any case) of sharedFolder, in name order, and returns its path.
// An unreachable shared folder gives nullopt and touches nothing. Lines that
// cannot be written are reported through prompts and the building goes on.
std::optional<std::filesystem::path> buildUsageReport(const std::string& sharedFolder,
                                                      const std::filesystem::path& reportFolder, Clock& clock,
                                                      Prompts& prompts);

// The Report button's work: builds the report from the shared output folder
// and opens it in the text editor without waiting; nothing at all happens
// when the shared folder is unreachable.
void runUsageReport(const Settings& settings, const std::filesystem::path& reportFolder, Clock& clock,
                    Prompts& prompts, Desktop& desktop);

// brisk-cli --usage-report [--shared-folder DIR] [--out DIR]. args are the
// words after the program name; a leading "--usage-report" is skipped. Prints
// the report's path. Returns 0 when done, 1 when report lines could not be
// written, 2 for bad arguments, an unreachable shared folder or an output
// folder that cannot be created.
int usageReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace brisk
