#include "drivers/discovery/databaselister.h"

#include "drivers/guardedcall.h"
#include "drivers/odbc.h"
#include "drivers/testing/connectiontester.h"
#include "drivers/testing/odbctester.h"
#include "drivers/testing/providerdispatcher.h"
#include "drivers/testing/sqlservertester.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkproperties.h"
#include "oledb/propertynames.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"

namespace drivers {

namespace {

// Only databases the log-on may open: the list is for picking one to connect to.
const QStringList SqlServerQueries {
    QStringLiteral("SELECT name FROM sys.databases WHERE HAS_DBACCESS(name) = 1"),
    // Servers older than 2005 have only the compatibility view.
    QStringLiteral("SELECT name FROM master.dbo.sysdatabases WHERE HAS_DBACCESS(name) = 1"),
};

LookupResult fromOutcome(const odbc::CatalogOutcome &outcome)
{
    if (!outcome.connected || (outcome.names.isEmpty() && !outcome.diagnostics.isEmpty()))
        return LookupResult::driverFailed(outcome.diagnostics);
    return LookupResult::found(outcome.names);
}

// The catalog the page holds is what the user is choosing: a half-typed or misspelt one must
// not stop the log-on that would list the right one, under whichever name the string gives it
// (`Database=`).
oledb::ConnectionString withoutCatalog(const oledb::ProviderCatalogue &catalogue,
                                       const oledb::ConnectionString &connection)
{
    oledb::DataLinkProperties properties
        = oledb::DataLinkProperties::fromString(catalogue, connection.toString());
    properties.remove(oledb::property::InitialCatalog);
    return oledb::ConnectionString::parse(properties.toString());
}

// Whatever the lister wrote, the field has room for one line.
LookupResult masked(LookupResult result, const QStringList &secrets,
                    const oledb::ProviderCatalogue &catalogue)
{
    if (result.succeeded())
        return result;
    return LookupResult::failed(result.quotesDriver
                                    ? oledb::maskSecrets(result.failure, secrets, catalogue)
                                    : result.failure);
}

} // namespace

DatabaseLister::DatabaseLister(const oledb::ProviderCatalogue &catalogue,
                               std::function<QString()> findFreeTds)
    : m_catalogue(catalogue)
    , m_findFreeTds(std::move(findFreeTds))
{ }

QStringList DatabaseLister::fallbackQueries(const QString &dbmsName)
{
    if (dbmsName.contains(u"PostgreSQL", Qt::CaseInsensitive)) {
        // Templates and databases the user may not connect to would only fail when chosen.
        return {QStringLiteral("SELECT datname FROM pg_catalog.pg_database WHERE datallowconn "
                               "AND NOT datistemplate AND has_database_privilege(datname, "
                               "'CONNECT')")};
    }
    if (dbmsName.contains(u"SQL Server", Qt::CaseInsensitive))
        return SqlServerQueries;
    if (dbmsName.contains(u"MySQL", Qt::CaseInsensitive)
        || dbmsName.contains(u"MariaDB", Qt::CaseInsensitive))
        return {QStringLiteral("SHOW DATABASES")};
    return {};
}

LookupResult DatabaseLister::list(const oledb::ConnectionString &given,
                                  const std::atomic<bool> &cancelled)
{
    // As Test Connection does: a service that wraps a provider lists what that provider would.
    const oledb::ConnectionString connection = m_catalogue.handedOn(given);
    const oledb::ConnectionString target = withoutCatalog(m_catalogue, connection);
    const int timeout = connectTimeoutSeconds(connection);
    switch (ProviderDispatcher::familyOf(
        m_catalogue, connection.value(oledb::property::Provider).value_or(QString()))) {
    case ProviderDispatcher::Family::Odbc:
        return fromOutcome(odbc::listCatalogs(OdbcTester::odbcConnectionString(m_catalogue, target),
                                              timeout, true, fallbackQueries, cancelled));
    case ProviderDispatcher::Family::SqlServer: {
        if (SqlServerTester::usesIntegratedSecurity(connection)) {
            return LookupResult::failed(
                QStringLiteral("Listing databases needs a user name and password here: Windows "
                               "NT Integrated security needs a log-on to a Windows domain."));
        }
        const QString driver = m_findFreeTds();
        if (driver.isEmpty()) {
            return LookupResult::failed(
                QStringLiteral("Listing databases needs the FreeTDS ODBC driver, in the Debian "
                               "package tdsodbc."));
        }
        return fromOutcome(odbc::listCatalogs(
            SqlServerTester::odbcConnectionString(target, driver), timeout, false,
            [](const QString &) { return SqlServerQueries; }, cancelled));
    }
    case ProviderDispatcher::Family::AccessFile:
    case ProviderDispatcher::Family::Untestable:
        break;
    }
    return LookupResult::failed(
        QStringLiteral("This machine has no driver that can list the databases of this provider."));
}

LookupResult listDatabases(IDatabaseLister &lister, const oledb::ProviderCatalogue &catalogue,
                           const QString &connectionString, const std::atomic<bool> &cancelled)
{
    static constexpr Guard<LookupResult> guard {LookupResult::failed, LookupResult::driverFailed,
                                                masked};
    return guardedCall(catalogue, connectionString, guard,
                       [&](const oledb::ConnectionString &connection) {
                           return lister.list(connection, cancelled);
                       });
}

std::shared_ptr<IDatabaseLister> makeDatabaseLister(const oledb::ProviderCatalogue &catalogue)
{
    return std::make_shared<DatabaseLister>(catalogue, findFreeTdsDriver);
}

} // namespace drivers
