#pragma once

#include "drivers/discovery/lookup.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <optional>

namespace drivers {

class IServerBrowser;

// How the dialog searches for databases and servers, apart from the widgets that show it: what
// a result depends on (opening the list again with the same key shows the last results), how
// long the field waits before it gives up, and how two searches make one list.

struct DatabaseSearchPlan
{
    // The string without the property being chosen: the list depends on everything else.
    QString key;
    // Zero when the string asks to wait as long as it takes.
    std::chrono::milliseconds timeLimit {0};
};

// For the string as the draft holds it, secrets included. A malformed string keys on its whole
// text and waits without a limit: listing reports the fault at once.
DatabaseSearchPlan planDatabaseSearch(const QString &connectionString, const QString &property);

struct ServerSearchPlan
{
    // The machine named by the typed server, empty when none is typed.
    QString host;
    // The local networks are asked too.
    bool network = false;
    std::chrono::milliseconds timeLimit {0};
};

// Opening the list asks a typed host only; Refresh asks the networks as well. Nothing when
// there is nothing to ask.
std::optional<ServerSearchPlan> planServerSearch(const QString &typedServer, bool refresh,
                                                 std::chrono::milliseconds browserLimit);

// One list from a host's own answer and the networks': the names of both, or the host's
// failure when neither found anything.
LookupResult mergeServerResults(const LookupResult &direct, LookupResult network);

// Runs the plan on a worker thread. A cancelled search keeps what the host answered.
LookupResult searchServers(IServerBrowser &browser, const ServerSearchPlan &plan,
                           const std::atomic<bool> &cancelled);

} // namespace drivers
