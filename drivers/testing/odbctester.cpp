#include "drivers/testing/odbctester.h"

#include "drivers/odbc.h"
#include "oledb/connectionstring.h"
#include "oledb/odbcattributes.h"
#include "oledb/propertynames.h"

namespace drivers {

QString OdbcTester::odbcConnectionString(const oledb::ConnectionString &connection)
{
    const auto given = oledb::OdbcAttributes::parse(
        connection.value(oledb::property::ExtendedProperties).value_or(QString()));
    oledb::OdbcAttributes odbc;
    // The driver manager takes whichever of DSN and DRIVER comes first, so the chosen data
    // source goes in front of a driver the ODBC string may name.
    const QString dataSource
        = connection.value(oledb::property::DataSource).value_or(QString()).trimmed();
    if (!dataSource.isEmpty())
        odbc.set(QStringLiteral("DSN"), dataSource);
    for (const auto &attribute : given.attributes()) {
        if (dataSource.isEmpty() || attribute.key.compare(u"DSN", Qt::CaseInsensitive) != 0) {
            if (!odbc.value(attribute.key))
                odbc.set(attribute.key, attribute.value);
        }
    }

    // An empty user name would override the one the data source is configured with.
    const QString user = connection.value(oledb::property::UserId).value_or(QString());
    const auto password = connection.value(oledb::property::Password);
    if (!user.isEmpty())
        odbc.set(QStringLiteral("UID"), user);
    if (password && (!password->isEmpty() || !user.isEmpty()))
        odbc.set(QStringLiteral("PWD"), *password);
    const QString catalog = connection.value(oledb::property::InitialCatalog).value_or(QString());
    if (!catalog.isEmpty())
        odbc.set(QStringLiteral("DATABASE"), catalog);
    return odbc.toString();
}

TestResult OdbcTester::test(const oledb::ConnectionString &connection,
                            const std::atomic<bool> &cancelled)
{
    const QString odbcString = odbcConnectionString(connection);
    if (cancelled)
        return TestResult::failed(QStringLiteral("The test was cancelled."));
    const auto outcome = odbc::driverConnect(odbcString, connectTimeoutSeconds(connection));
    if (outcome.connected)
        return TestResult::succeeded();
    return TestResult::failed(outcome.diagnostics);
}

} // namespace drivers
