#pragma once

#include <QStringList>

namespace conntest {

// The data sources configured for unixODBC, user and system alike, each name once and sorted;
// what the ODBC page of the Data Link dialog offers.
QStringList odbcDataSourceNames();

} // namespace conntest
