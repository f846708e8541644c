#include "drivers/testing/providerdispatcher.h"

#include "drivers/testing/accessfiletester.h"
#include "drivers/testing/odbctester.h"
#include "drivers/testing/sqlservertester.h"
#include "drivers/testing/untestableprovidertester.h"
#include "oledb/connectionstring.h"
#include "oledb/propertynames.h"
#include "oledb/providercatalogue.h"

namespace drivers {

ProviderDispatcher::ProviderDispatcher(const oledb::ProviderCatalogue &catalogue, Testers testers)
    : m_catalogue(catalogue)
    , m_testers(std::move(testers))
{ }

ProviderDispatcher::Family ProviderDispatcher::familyOf(const oledb::ProviderCatalogue &catalogue,
                                                        QStringView provider)
{
    if (oledb::withoutVersion(provider).isEmpty())
        return Family::Odbc;
    switch (catalogue.familyOf(provider)) {
    case oledb::ProviderFamily::Odbc:
        return Family::Odbc;
    case oledb::ProviderFamily::SqlServer:
        return Family::SqlServer;
    case oledb::ProviderFamily::Jet:
    case oledb::ProviderFamily::Ace:
        return Family::AccessFile;
    case oledb::ProviderFamily::Oracle:
    case oledb::ProviderFamily::Other:
        break;
    }
    return Family::Untestable;
}

TestResult ProviderDispatcher::test(const oledb::ConnectionString &given,
                                    const std::atomic<bool> &cancelled)
{
    // A service that wraps a provider is tested as that provider, with what it hands it.
    const oledb::ConnectionString connection = m_catalogue.handedOn(given);
    IConnectionTester *tester = nullptr;
    switch (
        familyOf(m_catalogue, connection.value(oledb::property::Provider).value_or(QString()))) {
    case Family::Odbc:
        tester = m_testers.odbc.get();
        break;
    case Family::SqlServer:
        tester = m_testers.sqlServer.get();
        break;
    case Family::AccessFile:
        tester = m_testers.accessFile.get();
        break;
    case Family::Untestable:
        tester = m_testers.untestable.get();
        break;
    }
    return tester->test(connection, cancelled);
}

std::shared_ptr<IConnectionTester> makeConnectionTester(const oledb::ProviderCatalogue &catalogue)
{
    return std::make_shared<ProviderDispatcher>(
        catalogue,
        ProviderDispatcher::Testers {
            std::make_shared<OdbcTester>(catalogue),
            std::make_shared<SqlServerTester>(findFreeTdsDriver),
            std::make_shared<AccessFileTester>(findAccessFileReader, findAccessReaderProcess),
            std::make_shared<UntestableProviderTester>(catalogue)});
}

} // namespace drivers
