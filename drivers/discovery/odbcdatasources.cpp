#include "drivers/discovery/odbcdatasources.h"

#include "drivers/odbc.h"

namespace drivers {

QStringList UnixOdbcDataSources::dataSourceNames()
{
    return odbc::dataSourceNames();
}

} // namespace drivers
