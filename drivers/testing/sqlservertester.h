#pragma once

#include "drivers/testing/connectiontester.h"

#include <functional>

namespace drivers {

// The SQL Server providers, through unixODBC and the FreeTDS driver.
class SqlServerTester final : public IConnectionTester
{
public:
    // `findDriver` answers what goes after DRIVER= (a registered name or the driver's path),
    // or an empty string when FreeTDS is not installed.
    explicit SqlServerTester(std::function<QString()> findDriver);

    TestResult test(const oledb::ConnectionString &connection,
                    const std::atomic<bool> &cancelled) override;

    static bool usesIntegratedSecurity(const oledb::ConnectionString &connection);
    static QString odbcConnectionString(const oledb::ConnectionString &connection,
                                        const QString &driver);

private:
    std::function<QString()> m_findDriver;
};

// The FreeTDS driver as registered with the driver manager, else its library where Debian
// puts it; empty when neither is there.
QString findFreeTdsDriver();

} // namespace drivers
