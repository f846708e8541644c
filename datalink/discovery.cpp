#include "datalink/discovery.h"

#include "drivers/discovery/databaselister.h"
#include "drivers/discovery/serverbrowser.h"

namespace datalink {

Discovery makeDiscovery()
{
    return {drivers::makeDatabaseLister(), drivers::makeServerBrowser()};
}

} // namespace datalink
