#include "drivers/discovery/odbcdatasources.h"

namespace drivers {

QList<odbc::DataSource> UnixOdbcDataSources::dataSources()
{
    return odbc::dataSources();
}

QList<odbc::Driver> UnixOdbcDataSources::drivers()
{
    return odbc::installedDrivers();
}

} // namespace drivers
