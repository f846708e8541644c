#pragma once

#include "drivers/testing/connectiontester.h"

namespace drivers {

// The ODBC provider (MSDASQL): the string goes to the unixODBC driver manager.
class OdbcTester final : public IConnectionTester
{
public:
    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

    // The ODBC string the provider would hand over: the one in Extended Properties with the
    // data source name (Data Source) first, then UID, PWD and DATABASE from the log-on and
    // catalog properties, which win over the same keys in the ODBC string.
    static QString odbcConnectionString(const oledb::ConnectionString &connection);
};

} // namespace drivers
