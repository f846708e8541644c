#include "drivers/discovery/searchplan.h"

#include "drivers/discovery/serverbrowser.h"
#include "drivers/discovery/ssrp.h"
#include "drivers/testing/connectiontester.h"
#include "oledb/connectionstring.h"
#include "platform/error.h"

namespace drivers {

DatabaseSearchPlan planDatabaseSearch(const QString &connectionString, const QString &property)
{
    DatabaseSearchPlan plan {connectionString, {}};
    try {
        const auto parsed = oledb::ConnectionString::parse(connectionString);
        oledb::KeywordValueList pairs = parsed.pairs();
        pairs.removeIf([&](const oledb::KeywordValue &pair) {
            return oledb::sameKeyword(pair.keyword, property);
        });
        plan.key = oledb::ConnectionString(pairs).toString();
        const std::chrono::seconds timeout(connectTimeoutSeconds(parsed));
        // The log-on and then a query, each within the timeout, and a grace for drivers that
        // overrun it.
        if (timeout.count() > 0)
            plan.timeLimit = timeout * 2 + std::chrono::seconds(5);
    } catch (const platform::Error &) {
        // listDatabases reports the malformed string.
    }
    return plan;
}

std::optional<ServerSearchPlan> planServerSearch(const QString &typedServer, bool refresh,
                                                 std::chrono::milliseconds browserLimit)
{
    const QString host = ssrp::hostOf(typedServer);
    if (!refresh && host.isEmpty())
        return std::nullopt;
    return ServerSearchPlan {host, refresh, browserLimit * 2 + std::chrono::seconds(2)};
}

LookupResult mergeServerResults(const LookupResult &direct, LookupResult network)
{
    if (!direct.succeeded() && !network.succeeded())
        return direct;
    network.names += direct.names;
    network.names.removeDuplicates();
    network.failure.clear();
    return network;
}

LookupResult searchServers(IServerBrowser &browser, const ServerSearchPlan &plan,
                           const std::atomic<bool> &cancelled)
{
    std::optional<LookupResult> direct;
    if (!plan.host.isEmpty())
        direct = browser.queryHost(plan.host, cancelled);
    if (direct && (!plan.network || cancelled))
        return *direct;
    LookupResult network = browser.broadcast(cancelled);
    if (!direct)
        return network;
    return mergeServerResults(*direct, std::move(network));
}

} // namespace drivers
