#include "drivers/testing/sqlservertester.h"

#include "drivers/odbc.h"
#include "oledb/connectionstring.h"
#include "oledb/odbcattributes.h"
#include "oledb/propertydefinition.h"
#include "oledb/propertynames.h"

namespace drivers {

namespace {

const QString FreeTdsLibrary = QStringLiteral("libtdsodbc.so");

bool isTrue(const QString &value)
{
    return value.compare(u"true", Qt::CaseInsensitive) == 0
        || value.compare(u"yes", Qt::CaseInsensitive) == 0;
}

struct ServerAddress
{
    QString host;
    QString port;
};

// `tcp:host,port`, `host\instance` or one of the names for this machine.
ServerAddress addressOf(QString dataSource)
{
    dataSource = dataSource.trimmed();
    if (dataSource.startsWith(u"tcp:", Qt::CaseInsensitive))
        dataSource = dataSource.mid(4).trimmed();
    ServerAddress address;
    const qsizetype comma = dataSource.indexOf(u',');
    address.host = (comma < 0 ? dataSource : dataSource.left(comma)).trimmed();
    if (comma >= 0)
        address.port = dataSource.mid(comma + 1).trimmed();
    const QString bare = address.host.section(u'\\', 0, 0);
    if (bare.isEmpty() || bare == u"." || bare.compare(u"(local)", Qt::CaseInsensitive) == 0)
        address.host.replace(0, bare.size(), QStringLiteral("localhost"));
    // An instance is found through the browser service, which answers with the port itself.
    if (address.port.isEmpty() && !address.host.contains(u'\\'))
        address.port = QStringLiteral("1433");
    return address;
}

} // namespace

SqlServerTester::SqlServerTester(std::function<QString()> findDriver)
    : m_findDriver(std::move(findDriver))
{ }

bool SqlServerTester::usesIntegratedSecurity(const oledb::ConnectionString &connection)
{
    const QString integrated
        = connection.value(oledb::property::IntegratedSecurity).value_or(QString()).trimmed();
    return integrated.compare(u"SSPI", Qt::CaseInsensitive) == 0 || isTrue(integrated)
        || isTrue(connection.value(u"Trusted_Connection").value_or(QString()).trimmed());
}

QString SqlServerTester::odbcConnectionString(const oledb::ConnectionString &connection,
                                              const QString &driver)
{
    const auto address
        = addressOf(connection.value(oledb::property::DataSource).value_or(QString()));
    oledb::OdbcAttributes odbc;
    odbc.set(QStringLiteral("DRIVER"), driver);
    odbc.set(QStringLiteral("SERVER"), address.host);
    if (!address.port.isEmpty())
        odbc.set(QStringLiteral("PORT"), address.port);
    const QString catalog = connection.value(oledb::property::InitialCatalog).value_or(QString());
    if (!catalog.isEmpty())
        odbc.set(QStringLiteral("DATABASE"), catalog);
    odbc.set(QStringLiteral("UID"), connection.value(oledb::property::UserId).value_or(QString()));
    odbc.set(QStringLiteral("PWD"),
             connection.value(oledb::property::Password).value_or(QString()));
    // Not "auto": FreeTDS 1.3 probing versions ignores the log-on timeout and waits forever on a
    // server that accepts and says nothing, so the version is the one SQL Server 2012 on speaks.
    odbc.set(QStringLiteral("TDS_Version"), QStringLiteral("7.4"));
    const auto encrypt = oledb::PropertyDefinition::parseBoolean(
        connection.value(oledb::property::UseEncryptionForData).value_or(QString()).trimmed());
    if (encrypt && *encrypt)
        odbc.set(QStringLiteral("Encryption"), QStringLiteral("require"));
    return odbc.toString();
}

TestResult SqlServerTester::test(const oledb::ConnectionString &connection,
                                 const std::atomic<bool> &cancelled)
{
    if (usesIntegratedSecurity(connection)) {
        return TestResult::notTestable(QStringLiteral(
            "Test Connection cannot check Windows NT Integrated security from here: it needs "
            "a log-on to a Windows domain. Use a specific user name and password to test "
            "the server. Nothing was tried."));
    }
    const QString driver = m_findDriver();
    if (driver.isEmpty()) {
        return TestResult::notTestable(QStringLiteral(
            "Test Connection cannot check a SQL Server connection on this machine: it needs "
            "the FreeTDS ODBC driver, in the Debian package tdsodbc. Nothing was tried."));
    }
    if (cancelled)
        return TestResult::failed(QStringLiteral("The test was cancelled."));
    const auto outcome = odbc::driverConnect(odbcConnectionString(connection, driver),
                                             connectTimeoutSeconds(connection));
    if (outcome.connected)
        return TestResult::succeeded();
    return TestResult::failed(outcome.diagnostics);
}

QString findFreeTdsDriver()
{
    return odbc::findDriver(FreeTdsLibrary, u"FreeTDS");
}

} // namespace drivers
