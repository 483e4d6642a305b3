#pragma once
// The analysis run of brisk-cli: a whole run through the headless window,
// then the panel's figures, the top lists and the distributions as text or
// as one JSON object.

#include "engine/Session.h"
#include "shell/HeadlessWindow.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace brisk {

void printTextResults(const AppState& app, const HeadlessWindow& window, std::ostream& out);
void printJsonResults(const AppState& app, const HeadlessWindow& window, const std::vector<std::string>& errors,
                      std::ostream& out);
std::string jsonString(std::string_view text);

} // namespace brisk
