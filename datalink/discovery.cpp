#include "datalink/discovery.h"

#include "drivers/databaselister.h"
#include "drivers/serverbrowser.h"

namespace datalink {

Discovery makeDiscovery()
{
    return {drivers::makeDatabaseLister(), drivers::makeServerBrowser()};
}

} // namespace datalink
