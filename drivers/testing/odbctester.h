#pragma once

#include "drivers/testing/connectiontester.h"

namespace drivers {

// The ODBC provider (MSDASQL): the string goes to the unixODBC driver manager.
class OdbcTester final : public IConnectionTester
{
public:
    explicit OdbcTester(const oledb::ProviderCatalogue &catalogue)
        : m_catalogue(catalogue)
    { }

    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

    // The ODBC string the provider would hand over: the data source name (Data Source, or DSN)
    // first, then the ODBC string in Extended Properties, then the keywords the provider does
    // not know, which it passes on to the driver (DRIVER, SERVER, PORT, ... at the top level of
    // the string), then UID, PWD and DATABASE from the log-on and catalog properties under any
    // of their names, which win over the same keys anywhere else. A string without a Provider
    // is read as the ODBC provider's, which OLE DB falls back to.
    static QString odbcConnectionString(const oledb::ProviderCatalogue &catalogue,
                                        const oledb::ConnectionString &connection);

private:
    const oledb::ProviderCatalogue &m_catalogue;
};

} // namespace drivers
