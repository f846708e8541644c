#pragma once

#include <memory>

namespace oledb {
class ProviderCatalogue;
}

namespace drivers {
class IDatabaseLister;
class IServerBrowser;
} // namespace drivers

namespace datalink {

// What the pages search with when the user asks for a list of databases or servers. A missing
// one leaves its lists empty.
struct Discovery
{
    std::shared_ptr<drivers::IDatabaseLister> databases;
    std::shared_ptr<drivers::IServerBrowser> servers;
};

// This machine's drivers and the network.
Discovery makeDiscovery(const oledb::ProviderCatalogue &catalogue);

} // namespace datalink
