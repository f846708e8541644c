#include "datalink/discovery.h"

#include "drivers/discovery/databaselister.h"
#include "drivers/discovery/serverbrowser.h"

namespace datalink {

Discovery makeDiscovery(const oledb::ProviderCatalogue &catalogue)
{
    return {drivers::makeDatabaseLister(catalogue), drivers::makeServerBrowser()};
}

} // namespace datalink
