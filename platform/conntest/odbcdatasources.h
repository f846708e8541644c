#pragma once

#include "platform/datalink/odbcdatasources.h"

#include <QStringList>

namespace conntest {

// The data sources configured for unixODBC, user and system alike, each name once and sorted;
// what the ODBC page of the Data Link dialog offers.
QStringList odbcDataSourceNames();

// The dialog's ODBC page asks the driver manager itself, so it lists exactly what a
// connection can use.
class UnixOdbcDataSources final : public datalink::IOdbcDataSources
{
public:
    QStringList dataSourceNames() override { return odbcDataSourceNames(); }
};

} // namespace conntest
