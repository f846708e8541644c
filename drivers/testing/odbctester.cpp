#include "drivers/testing/odbctester.h"

#include "drivers/odbc.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkproperties.h"
#include "oledb/odbcattributes.h"
#include "oledb/propertynames.h"

#include <algorithm>

namespace drivers {

namespace {

// An ODBC keyword at the top level of the string carries its value the way an ODBC string
// writes it (`Driver={PostgreSQL Unicode}`); the property's own name carries it as it is.
QString valueForDriver(const oledb::KeywordValue &pair, const QString &property)
{
    if (oledb::sameKeyword(pair.keyword, property))
        return pair.value;
    return oledb::OdbcAttributes::read(pair.value);
}

std::optional<QString> propertyValue(const oledb::DataLinkProperties &properties,
                                     const QString &property)
{
    const std::optional<oledb::KeywordValue> pair = properties.pairInEffect(property);
    if (!pair)
        return std::nullopt;
    return valueForDriver(*pair, property);
}

} // namespace

QString OdbcTester::odbcConnectionString(const oledb::ProviderCatalogue &catalogue,
                                         const oledb::ConnectionString &connection)
{
    using namespace oledb::property;
    oledb::DataLinkProperties properties
        = oledb::DataLinkProperties::fromString(catalogue, connection.toString());
    if (properties.providerProgId().isEmpty())
        properties.setProviderProgId(QStringLiteral("MSDASQL"));

    const auto given
        = oledb::OdbcAttributes::parse(properties.value(ExtendedProperties).value_or(QString()));
    oledb::OdbcAttributes odbc;
    // The driver manager takes whichever of DSN and DRIVER comes first, so the chosen data
    // source goes in front of a driver the ODBC string may name.
    const QString dataSource = propertyValue(properties, DataSource).value_or(QString()).trimmed();
    if (!dataSource.isEmpty())
        odbc.set(QStringLiteral("DSN"), dataSource);
    const auto add = [&](const QString &key, const QString &value) {
        if (!dataSource.isEmpty() && key.compare(u"DSN", Qt::CaseInsensitive) == 0)
            return;
        // A keyword ODBC cannot carry would reach the driver as another one: `PWD=` (written
        // `PWD==` in the string) as PWD, with a value the masker never heard of.
        static const QStringView unsendable = u"[]{}(),;?*=!@";
        if (std::any_of(key.cbegin(), key.cend(), [](QChar c) { return unsendable.contains(c); }))
            return;
        // The first occurrence is the one a driver goes by.
        if (!odbc.value(key))
            odbc.set(key, value);
    };
    for (const auto &attribute : given.attributes())
        add(attribute.key, attribute.value);
    // What the provider has no property for goes into the provider string, behind what
    // Extended Properties says.
    const oledb::Provider &provider = properties.provider();
    for (const oledb::PairReading &reading : properties.driverPairs()) {
        if (reading.effect == oledb::PairReading::Effect::InEffect
            && provider.handsToDriver(reading.pair.keyword))
            add(reading.pair.keyword, valueForDriver(reading.pair, QString()));
    }

    // An empty user name would override the one the data source is configured with.
    const QString user = propertyValue(properties, UserId).value_or(QString());
    const auto password = propertyValue(properties, Password);
    if (!user.isEmpty())
        odbc.set(QStringLiteral("UID"), user);
    if (password && (!password->isEmpty() || !user.isEmpty()))
        odbc.set(QStringLiteral("PWD"), *password);
    const QString catalog = propertyValue(properties, InitialCatalog).value_or(QString());
    if (!catalog.isEmpty())
        odbc.set(QStringLiteral("DATABASE"), catalog);
    return odbc.toString();
}

TestResult OdbcTester::test(const oledb::ConnectionString &connection,
                            const std::atomic<bool> &cancelled)
{
    const QString odbcString = odbcConnectionString(m_catalogue, connection);
    if (cancelled)
        return TestResult::failed(QStringLiteral("The test was cancelled."));
    const auto outcome = odbc::driverConnect(odbcString, connectTimeoutSeconds(connection));
    if (outcome.connected)
        return TestResult::succeeded();
    return TestResult::failed(outcome.diagnostics);
}

} // namespace drivers
