#pragma once
// The values start-up sets and the rest of the program reads: the product
// title, the mail store, the picked folder and the current user; and the one
// application record that owns every process-wide value.

#include "engine/AnalysisState.h"
#include "engine/MailStore.h"
#include "engine/Services.h"
#include "engine/Settings.h"
#include "engine/TopLists.h"

#include <memory>
#include <string>

namespace brisk {

struct SessionValues {
    std::string vAppTitle = std::string(kAppTitle);
    // The mail store (the mail client's namespace), kept for the program's life.
    std::unique_ptr<MailStore> oNameSpace;
    // The folder the next run starts from: Sent Items until one is picked.
    MailFolder* oPickedFolder = nullptr;
    std::string vUserName;
};

// Everything process-wide, owned by one object and passed by reference.
struct AppState {
    Settings settings;
    SessionValues session;
    AnalysisState analysis;
    RunPosition position;
    TopListTables topLists;
};

} // namespace brisk
