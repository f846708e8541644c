#include "platform/conntest/odbcdatasources.h"

#include "platform/conntest/odbc.h"

namespace conntest {

QStringList odbcDataSourceNames()
{
    return odbc::dataSourceNames();
}

} // namespace conntest
